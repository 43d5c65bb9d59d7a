#include "archive/frame_export.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "tests/support/def_writer.h"

namespace dw {
namespace {

using testing::ArchiveSpec;
using testing::Block;
using testing::BuildArchive;
using testing::ExpectedBmp;
using testing::MakeFrame;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

// The name up to its first "." plus "bmp"; a name never leaves the folder, and
// Windows-1251 names become UTF-8.
TEST(ExportFileName, ReplacesTheExtensionAtTheFirstDotAndNeverLeavesTheFolder) {
  const std::pair<const char*, const char*> cases[] = {{"walk01.pcx", "walk01.bmp"},
                                                       {"hero.big.pcx", "hero.bmp"},
                                                       {"idle", "idle.bmp"},
                                                       {"tail.", "tail.bmp"},
                                                       {"", ".bmp"},
                                                       {"..", ".bmp"},
                                                       {".", ".bmp"},
                                                       {"../../etc/x", ".bmp"},
                                                       {"a/b.pcx", "a_b.bmp"},
                                                       {"/etc/passwd", "_etc_passwd.bmp"},
                                                       {"\xCA\xEE\xF2.pcx", "Кот.bmp"},
                                                       {"\xB8\xE6/\xFF", "ёж_я.bmp"}};
  for (const auto& [name, file] : cases) EXPECT_EQ(ExportFileName(name), file) << name;
}

TEST(ExportFilePath, JoinsWithASlashEvenAtTheRoot) {
  ConversionState state;
  state.frames = {{"run.pcx", 0}, {"/x", 0}};
  EXPECT_EQ(ExportFilePath("/out", state, 0), "/out/run.bmp");
  EXPECT_EQ(ExportFilePath("/", state, 1), "//_x.bmp");
}

TEST(ExportFrame, ReplacesALongerFileCompletely) {
  TempDir dir;
  ArchiveSpec plan;
  plan.frames = {MakeFrame(1, 7, 3, 5, 2, 1, 1, {1, 0, 0, 4, 5, 6, 7, 0, 9, 9})};
  Block b;
  b.entries = {{"cat.pcx", 0, {}, {}}};
  plan.blocks = {b};
  WriteFile(dir.File("a.def"), BuildArchive(plan));
  ConversionState state;
  LoadArchive(state, dir.File("a.def"));
  const std::string out = ExportFilePath(dir.path(), state, 0);
  WriteFile(out, std::vector<uint8_t>(5000, 0xAA));
  EXPECT_TRUE(ExportFrame(state, 0, out).ok());
  EXPECT_EQ(ReadFile(out), ExpectedBmp(plan, plan.frames[0]));
}

TEST(ExportFrame, UnwritableFileIsReportedAndSkipped) {
  TempDir dir;
  ConversionState state;
  const Diagnostics d = ExportFrame(state, 0, dir.File("none/x.bmp"));
  EXPECT_TRUE(d.writeFailed);
  EXPECT_TRUE(d.problems.empty());  // a write failure says nothing about the archive
  EXPECT_FALSE(std::filesystem::exists(dir.File("none")));
}

}  // namespace
}  // namespace dw
