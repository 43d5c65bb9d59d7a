// Small archives that ask for much: each operation draws what it holds and
// writes from its one budget, and refuses (exit 1, the limit named, no file)
// what cannot fit; an export stops cleanly there, keeping the files written.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "tests/cli/cli_test_support.h"
#include "tests/support/hostile_archives.h"

namespace dw::testing {
namespace {

struct BudgetCase {
  const char* name;
  std::function<ArchiveSpec()> archive;
  std::vector<std::string> command;  // the archive and then the output follow
  std::string output;                // a file or folder under the test folder
  int status;
  std::string message;  // in stderr
  size_t kept = 0;      // files a refused run leaves in the output folder
};

// Test names carry the case; the parameter itself prints as its name.
void PrintTo(const BudgetCase& c, std::ostream* out) { *out << c.name; }

class OperationBudget : public ::testing::TestWithParam<BudgetCase> {};

TEST_P(OperationBudget, RefusesWhatCannotFitAndWritesNothing) {
  const BudgetCase& c = GetParam();
  TempDir dir;
  std::vector<std::string> args = c.command;
  args.push_back(WriteArchive(dir, "h.def", c.archive()));
  args.push_back(dir.File(c.output));
  const RunResult r = RunCli(args);
  EXPECT_EQ(r.status, c.status) << r.err;
  EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  if (c.status == 0) return;
  if (c.kept == 0) {
    EXPECT_FALSE(std::filesystem::exists(dir.File(c.output)));  // not even an empty folder
  } else {
    EXPECT_EQ(FilesIn(dir.File(c.output)).size(), c.kept);
  }
}

const std::string kRaise = "bytes for one archive (raise it with --max-output)";

INSTANTIATE_TEST_SUITE_P(
    Cases, OperationBudget,
    ::testing::Values(
        // Entries naming one frame share its one cell: no copy per entry.
        BudgetCase{"SheetOfOneFrameManyTimes", [] { return OneFrameManyEntries(1000, 64, 64); },
                   {"sheet", "--max-output", "64K"}, "s", 0, ""},
        BudgetCase{"SheetOfACrossedCanvas", [] { return CrossedFrames(400); },
                   {"sheet", "--max-output", "64K"}, "s", 1,
                   "s/h.png: the sheet would pass the limit of 65536 " + kRaise},
        BudgetCase{"GifOfACrossedCanvas", [] { return CrossedFrames(400); },
                   {"anim", "--max-output", "64K"}, "a", 1,
                   "a/h-0.gif: the animation of 400 x 400 pixels would pass the limit of 65536 " +
                       kRaise},
        BudgetCase{"WebpEncoderOfACrossedCanvas", [] { return CrossedFrames(400); },
                   {"anim", "--format", "webp", "--max-output", "4M"}, "a", 1,
                   "a/h-0.webp: the animation of 400 x 400 pixels would pass the limit of 4194304 " +
                       kRaise},
        BudgetCase{"StripOfACrossedCanvas", [] { return CrossedFrames(400); },
                   {"strip", "--max-output", "64K"}, "s.bmp", 1,
                   "s.bmp: the strip of 402 x 400 pixels would pass the limit of 65536 bytes "
                   "(raise it with --max-output)"},
        BudgetCase{"StripOfManyThinFrames", [] { return OneFrameManyEntries(1000, 100, 1); },
                   {"strip", "--max-output", "64K"}, "s.bmp", 1,
                   "s.bmp: the strip of 100999 x 1 pixels would pass the limit of 65536"},
        // Entries naming one frame of 1 MiB each write a file of their own.
        BudgetCase{"ExportStopsAtTheLimit", [] { return OneFrameManyEntries(2000, 1 << 18, 4); },
                   {"export", "--max-output", "8M"}, "out", 1,
                   "h.def: stopped at frame 7 (f7.pcx): the output would pass the limit of 8388608 " +
                       kRaise + "\nduskweave-convert: 7 files written from 1 archive",
                   7},
        BudgetCase{"ExportStopsAt256MiBByDefault",
                   [] { return OneFrameManyEntries(2000, 1 << 18, 4); }, {"export"}, "out", 1,
                   "h.def: stopped at frame 255 (f255.pcx): the output would pass the limit of "
                   "268435456 " + kRaise,
                   255}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace dw::testing
