#include "archive/stream.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <vector>

#include "tests/support/def_writer.h"

namespace dw {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

StreamPtr MemoryWith(const std::vector<uint8_t>& bytes) {
  StreamPtr s = CreateMemoryStream();
  WriteBytes(*s, bytes.data(), int32_t(bytes.size()));
  SeekTo(*s, 0);
  return s;
}

TEST(MemoryStream, ShortReadCopiesWhatIsLeftAndKeepsTheRestOfTheDestination) {
  StreamPtr s = MemoryWith({0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
  SeekTo(*s, 8);
  uint8_t out[4] = {0xAA, 0xAA, 0xAA, 0xAA};
  EXPECT_EQ(ReadBytes(*s, out, 4), 2);
  EXPECT_EQ(std::vector<uint8_t>(out, out + 4), (std::vector<uint8_t>{8, 9, 0xAA, 0xAA}));
  EXPECT_EQ(CurrentPosition(*s), 10);
  EXPECT_EQ(ReadBytes(*s, out, 4), 0);
}

TEST(MemoryStream, GrowsToExactSizesAndNeverShrinks) {
  StreamPtr s = CreateMemoryStream();
  const uint8_t five[5] = {1, 2, 3, 4, 5};
  EXPECT_EQ(WriteBytes(*s, five, 5), 5);
  EXPECT_EQ(StreamSize(*s), 5);
  EXPECT_EQ(CurrentPosition(*s), 5);
  SeekTo(*s, 0);
  const uint8_t two[2] = {9, 9};
  WriteBytes(*s, two, 2);
  EXPECT_EQ(StreamSize(*s), 5);
  EXPECT_EQ(*MemoryStreamBytes(*s), (std::vector<uint8_t>{9, 9, 3, 4, 5}));
  s->SetSize(2);
  EXPECT_EQ(StreamSize(*s), 5);
}

TEST(MemoryStream, SeekingPastTheEndGrowsWithZeroBytesAndBeforeTheStartIsRefused) {
  StreamPtr s = MemoryWith({7, 7, 7, 7, 7});
  EXPECT_EQ(SeekTo(*s, 9), 9);
  EXPECT_EQ(StreamSize(*s), 9);
  EXPECT_EQ(*MemoryStreamBytes(*s), (std::vector<uint8_t>{7, 7, 7, 7, 7, 0, 0, 0, 0}));
  EXPECT_EQ(SeekTo(*s, -3, SeekOrigin::Current), 6);
  EXPECT_EQ(SeekTo(*s, -7, SeekOrigin::Current), 6);  // before the start: refused
  EXPECT_EQ(StreamSize(*s), 9);
}

TEST(MemoryStream, CopyStopsWhereTheSourceEnds) {
  StreamPtr source = MemoryWith(std::vector<uint8_t>(100, 5));
  SeekTo(*source, 60);
  StreamPtr target = CreateMemoryStream();
  EXPECT_EQ(CopyBytes(*target, *source, 100), 40);
  EXPECT_EQ(StreamSize(*target), 40);
  EXPECT_EQ(CurrentPosition(*source), 100);
}

TEST(FileStream, WriteEndsTheFileAtTheLastByteWrittenButOpeningAloneKeepsIt) {
  TempDir dir;
  const std::string path = dir.File("f.bin");
  WriteFile(path, std::vector<uint8_t>(100, 0xEE));
  StreamPtr unused = CreateWriteStream(path);
  FreeStream(unused);
  EXPECT_EQ(ReadFile(path).size(), 100u);  // opening alone keeps the file
  StreamPtr s = CreateWriteStream(path);
  const uint8_t three[3] = {1, 2, 3};
  EXPECT_EQ(WriteBytes(*s, three, 3), 3);
  EXPECT_EQ(ReadFile(path), (std::vector<uint8_t>{1, 2, 3}));
  SeekTo(*s, 1);
  WriteBytes(*s, three, 1);
  FreeStream(s);
  EXPECT_EQ(s, nullptr);
  EXPECT_EQ(ReadFile(path), (std::vector<uint8_t>{1, 1}));
}

// A file the stream created knows its size without asking; it must still
// end where the last write stopped.
TEST(FileStream, PiecesStoreAsConsecutiveWritesInNewAndExistingFilesAndMemory) {
  TempDir dir;
  WriteFile(dir.File("old.bin"), std::vector<uint8_t>(100, 0xEE));
  const uint8_t a[3] = {1, 2, 3}, b[2] = {4, 5}, c[1] = {9};
  const BytePiece first[] = {{a, 3}, {nullptr, 0}, {b, 2}};
  const BytePiece second[] = {{c, 1}};
  for (const char* name : {"new.bin", "old.bin", ""}) {
    const std::string path = dir.File(name);
    StreamPtr s = *name ? CreateWriteStream(path) : CreateMemoryStream();
    EXPECT_EQ(WritePieces(*s, first), 5) << name;
    if (*name) {
      EXPECT_EQ(ReadFile(path), (std::vector<uint8_t>{1, 2, 3, 4, 5})) << name;
    }
    SeekTo(*s, 1);
    EXPECT_EQ(WritePieces(*s, second), 1) << name;
    if (*name) {
      EXPECT_EQ(ReadFile(path), (std::vector<uint8_t>{1, 9})) << name;
    } else {
      EXPECT_EQ(*MemoryStreamBytes(*s), (std::vector<uint8_t>{1, 9, 3, 4, 5}));
    }
    FreeStream(s);
  }
  StreamPtr unopened = CreateWriteStream(dir.File("no/such/folder"));
  EXPECT_EQ(WritePieces(*unopened, first), 0);
}

TEST(FileStream, ReadReportsPositionAndLeavesTheDestinationPastTheEnd) {
  TempDir dir;
  const std::string path = dir.File("f.bin");
  std::vector<uint8_t> bytes(40);
  for (int i = 0; i < 40; ++i) bytes[i] = uint8_t(i);
  WriteFile(path, bytes);
  StreamPtr s = CreateReadStream(path);
  EXPECT_EQ(StreamSize(*s), 40);
  uint8_t buffer[32];
  ReadBytes(*s, buffer, 32);
  EXPECT_EQ(CurrentPosition(*s), 32);
  uint8_t tail[12];
  std::fill(std::begin(tail), std::end(tail), 0xAA);
  EXPECT_EQ(ReadBytes(*s, tail, 12), 8);
  EXPECT_EQ(tail[7], 39);
  EXPECT_EQ(tail[8], 0xAA);
  SeekTo(*s, 100);
  EXPECT_EQ(ReadBytes(*s, tail, 1), 0);
  EXPECT_EQ(MemoryStreamBytes(*s), nullptr);
}

TEST(FileStream, UnopenableFilesReadAndStoreNothing) {
  TempDir dir;
  StreamPtr reader = CreateReadStream(dir.File("missing"));
  uint8_t byte = 0x55;
  EXPECT_EQ(ReadBytes(*reader, &byte, 1), 0);
  EXPECT_EQ(byte, 0x55);
  EXPECT_EQ(StreamSize(*reader), 0);
  EXPECT_FALSE(StreamOpened(*reader));

  StreamPtr writer = CreateWriteStream(dir.File("no/such/folder"));
  EXPECT_EQ(WriteBytes(*writer, &byte, 1), 0);
  EXPECT_FALSE(StreamOpened(*writer));
  StreamPtr none;
  FreeStream(none);  // ignored
}

}  // namespace
}  // namespace dw

namespace dw {
namespace {

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// What stands at the final name after one write, and what the folder holds.
struct AtomicCase {
  const char* what;
  bool plantLink;     // a link to a file outside stands at the final name
  int64_t faultAfter; // injected ENOSPC after this many bytes; -1: none
  bool commit;
  bool written;       // the new bytes are in place
  int error;
};

// Either the whole new file is in place under its name, or the old one
// untouched: no temporary file stays, and a planted link is replaced, never
// written through.
TEST(AtomicFile, AppearsWholeOrNotAtAllAndNeverWritesThroughALink) {
  const AtomicCase cases[] = {
      {"committed", false, -1, true, true, 0},
      {"abandoned", false, -1, false, false, 0},
      {"disk full", false, 3, true, false, ENOSPC},
      {"link planted", true, -1, true, true, 0},
  };
  const mode_t mask = ::umask(022);
  for (const AtomicCase& c : cases) {
    TempDir dir;
    const std::string target = dir.File("target"), path = dir.File("a.bmp");
    WriteFile(target, {9, 9});
    if (c.plantLink) {
      std::filesystem::create_symlink(target, path);
    } else {
      WriteFile(path, {7});
    }
    {
      AtomicFile file(path);
      InjectWriteFault(c.faultAfter, ENOSPC);
      file.Write("12345", 5);
      InjectWriteFault(-1, 0);
      if (c.commit) {
        EXPECT_EQ(file.Commit(), c.written) << c.what;
      }
      EXPECT_EQ(file.error(), c.error) << c.what;
    }
    EXPECT_EQ(ReadFile(target), (std::vector<uint8_t>{9, 9})) << c.what;
    EXPECT_EQ(std::filesystem::is_symlink(path), c.plantLink && !c.written) << c.what;
    if (!c.plantLink) {
      const std::vector<uint8_t> fresh{'1', '2', '3', '4', '5'}, old{7};
      EXPECT_EQ(ReadFile(path), c.written ? fresh : old) << c.what;
    }
    EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"a.bmp", "target"})) << c.what;
    if (c.written) {
      EXPECT_EQ(std::filesystem::status(path).permissions(),
                std::filesystem::perms(0644)) << c.what;
    }
  }
  ::umask(mask);
  AtomicFile missing("/nonexistent-folder/x.bmp");
  EXPECT_FALSE(missing.Commit());
  EXPECT_EQ(missing.error(), ENOENT);
}

}  // namespace
}  // namespace dw
