#include "archive/stream.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <iterator>
#include <numeric>
#include <tuple>
#include <vector>

#include "tests/support/def_writer.h"

namespace dw {
namespace {

using testing::MemoryStreamOf;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

TEST(MemoryStream, ShortReadCopiesWhatIsLeftAndKeepsTheRestOfTheDestination) {
  StreamPtr s = MemoryStreamOf({0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
  SeekTo(*s, 8);
  uint8_t out[4] = {0xAA, 0xAA, 0xAA, 0xAA};
  const int32_t first = ReadBytes(*s, out, 4), second = ReadBytes(*s, out, 4);
  EXPECT_EQ(std::tuple(first, second, std::vector<uint8_t>(out, out + 4), CurrentPosition(*s)),
            std::tuple(2, 0, std::vector<uint8_t>{8, 9, 0xAA, 0xAA}, 10));
}

TEST(MemoryStream, GrowsToExactSizesAndNeverShrinks) {
  StreamPtr s = CreateMemoryStream();
  const int32_t written = WriteBytes(*s, "\1\2\3\4\5", 5);
  const int32_t size = StreamSize(*s), position = CurrentPosition(*s);
  SeekTo(*s, 0);
  WriteBytes(*s, "\11\11", 2);
  s->SetSize(2);
  EXPECT_EQ(std::tuple(written, size, position, StreamSize(*s), *MemoryStreamBytes(*s)),
            std::tuple(5, 5, 5, 5, std::vector<uint8_t>{9, 9, 3, 4, 5}));
}

TEST(MemoryStream, SeekingPastTheEndGrowsWithZeroBytesAndBeforeTheStartIsRefused) {
  StreamPtr s = MemoryStreamOf({7, 7, 7, 7, 7});
  const int32_t past = SeekTo(*s, 9), back = SeekTo(*s, -3, SeekOrigin::Current);
  const int32_t beforeTheStart = SeekTo(*s, -7, SeekOrigin::Current);  // refused
  EXPECT_EQ(std::tuple(past, back, beforeTheStart, *MemoryStreamBytes(*s)),
            std::tuple(9, 6, 6, std::vector<uint8_t>{7, 7, 7, 7, 7, 0, 0, 0, 0}));
}

TEST(MemoryStream, CopyStopsWhereTheSourceEnds) {
  StreamPtr source = MemoryStreamOf(std::vector<uint8_t>(100, 5));
  SeekTo(*source, 60);
  StreamPtr target = CreateMemoryStream();
  const int32_t copied = CopyBytes(*target, *source, 100);
  EXPECT_EQ(std::tuple(copied, StreamSize(*target), CurrentPosition(*source)), std::tuple(40, 40, 100));
}

// A file's stream ends the file where the last write stopped; gathered
// pieces store as consecutive writes do, in a file as in memory.
TEST(FileStream, PiecesStoreAsConsecutiveWritesAndTheFileEndsAtTheLastByteWritten) {
  TempDir dir;
  const uint8_t a[3] = {1, 2, 3}, b[2] = {4, 5}, c[1] = {9};
  const BytePiece first[] = {{a, 3}, {nullptr, 0}, {b, 2}};
  const BytePiece second[] = {{c, 1}};
  AtomicFile file(dir.File("new.bin"));
  StreamPtr memory = CreateMemoryStream();
  for (Stream* s : {&file.stream(), memory.get()}) {
    EXPECT_EQ(WritePieces(*s, first), 5);
    SeekTo(*s, 1);
    EXPECT_EQ(WritePieces(*s, second), 1);
  }
  ASSERT_TRUE(file.Commit());
  EXPECT_EQ(ReadFile(dir.File("new.bin")), (std::vector<uint8_t>{1, 9}));
  EXPECT_EQ(*MemoryStreamBytes(*memory), (std::vector<uint8_t>{1, 9, 3, 4, 5}));
  AtomicFile unopened(dir.File("no/such/folder"));
  EXPECT_EQ(WritePieces(unopened.stream(), first), 0);
}

TEST(FileStream, ReadReportsPositionAndLeavesTheDestinationPastTheEnd) {
  TempDir dir;
  std::vector<uint8_t> bytes(40);
  std::iota(bytes.begin(), bytes.end(), 0);
  WriteFile(dir.File("f.bin"), bytes);
  StreamPtr s = CreateReadStream(dir.File("f.bin"));
  uint8_t buffer[32], tail[12];
  std::fill(std::begin(tail), std::end(tail), 0xAA);
  const int32_t first = ReadBytes(*s, buffer, 32), position = CurrentPosition(*s);
  const int32_t second = ReadBytes(*s, tail, 12), seek = SeekTo(*s, 100), past = ReadBytes(*s, tail, 1);
  EXPECT_EQ(std::tuple(StreamSize(*s), first, position, second, tail[7], tail[8], seek, past),
            std::tuple(40, 32, 32, 8, uint8_t(39), uint8_t(0xAA), 100, 0));
  EXPECT_EQ(MemoryStreamBytes(*s), nullptr);
}

TEST(FileStream, UnopenableFilesReadAndStoreNothing) {
  TempDir dir;
  StreamPtr reader = CreateReadStream(dir.File("missing"));
  uint8_t byte = 0x55;
  const int32_t read = ReadBytes(*reader, &byte, 1);
  EXPECT_EQ(std::tuple(read, byte, StreamSize(*reader), StreamOpened(*reader)),
            std::tuple(0, uint8_t(0x55), 0, false));

  StreamPtr none;
  FreeStream(none);  // ignored
}

// Either the whole new file is in place under its name, with the usual mode,
// or the old one untouched; no temporary file stays, and a link planted at
// the name is replaced, never written through.
TEST(AtomicFile, AppearsWholeOrNotAtAllAndNeverWritesThroughALink) {
  const struct {
    bool plantLink, commit;
    int64_t faultAfter;  // injected ENOSPC after this many bytes; -1: none
    int error;
  } cases[] = {
      {false, true, -1, 0}, {false, false, -1, 0}, {false, true, 3, ENOSPC}, {true, true, -1, 0}};
  const mode_t mask = ::umask(022);
  for (const auto& c : cases) {
    TempDir dir;
    const std::string target = dir.File("target"), path = dir.File("a.bmp");
    WriteFile(target, {9, 9});
    c.plantLink ? std::filesystem::create_symlink(target, path) : WriteFile(path, {7});
    const bool written = c.commit && c.error == 0;
    {
      AtomicFile file(path);
      InjectWriteFault(c.faultAfter, ENOSPC);
      file.Write("12345", 5);
      InjectWriteFault(-1, 0);
      EXPECT_EQ(c.commit && file.Commit(), written);
      EXPECT_EQ(file.error(), c.error);
    }
    const std::vector<uint8_t> fresh{'1', '2', '3', '4', '5'}, old{7};
    EXPECT_EQ(ReadFile(target), (std::vector<uint8_t>{9, 9}));
    EXPECT_EQ(std::filesystem::is_symlink(path), c.plantLink && !written);
    if (!c.plantLink || written) {
      EXPECT_EQ(ReadFile(path), written ? fresh : old);
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
    if (written) {
      EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms(0644));
    }
  }
  ::umask(mask);
  AtomicFile missing("/nonexistent-folder/x.bmp");
  EXPECT_FALSE(missing.Commit());
  EXPECT_EQ(missing.error(), ENOENT);
}

}  // namespace
}  // namespace dw
