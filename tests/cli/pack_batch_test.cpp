#include <gtest/gtest.h>

#include "tests/cli/cli_test_support.h"

namespace dw::testing {
namespace {

// Each input becomes OUTDIR/NAME.def with the bytes a lone `pack` writes; one
// that cannot be packed fails the run, its message in its place among the
// others', and the rest are still written.
TEST_F(EightFrameArchive, PackBatchWritesWhatLonePacksWriteWithMessagesInInputOrder) {
  WriteArchive(dir, "other.def", plan);
  ASSERT_EQ(RunCli({"export", "--manifest", "-q", archive, dir.File("a")}).status, 0);
  ASSERT_EQ(RunCli({"export", "--manifest", "-q", dir.File("other.def"), dir.File("b")}).status, 0);
  ASSERT_EQ(RunCli({"pack", "-q", dir.File("a/units.json"), dir.File("lone.def")}).status, 0);
  // A second input of one name gets an archive of its own, never the first's.
  const RunResult r =
      RunCli({"pack", "--batch", "--jobs", "2", dir.File("a/units.json"), dir.File("missing.json"),
              dir.File("b/other.json"), dir.File("a/units.json"), dir.File("p")});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(FilesIn(dir.File("p")),
            (std::vector<std::string>{"other.def", "units.def", "units~2.def"}));
  for (const char* name : {"p/units.def", "p/other.def", "p/units~2.def"})
    EXPECT_EQ(ReadFile(dir.File(name)), ReadFile(dir.File("lone.def"))) << name;
  EXPECT_NE(r.err.find("packed into " + dir.File("p/units~2.def")), std::string::npos) << r.err;
  const size_t first = r.err.find("p/units.def: "), missing = r.err.find("missing.json"),
               last = r.err.find("p/other.def: ");
  EXPECT_LT(first, missing) << r.err;
  EXPECT_LT(missing, last) << r.err;
  EXPECT_NE(last, std::string::npos) << r.err;
  // Quiet as a lone pack is: no archive's summary.
  EXPECT_EQ(RunCli({"pack", "--batch", "-q", dir.File("a/units.json"), dir.File("q")}).err, "");
}

}  // namespace
}  // namespace dw::testing
