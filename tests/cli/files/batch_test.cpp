// vantrel over many movies, end to end: directories with -r, lists of
// paths from files and from standard input, and the closing summary.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/cli_program_fixture.h"
#include "tests/support/json_records.h"
#include "tests/support/movie_builder.h"

namespace vantrel {
namespace {

using namespace moviekit;
namespace fs = std::filesystem;

const std::vector<Rule> kRules = {{"ABCD", 7, 2, 5}};

// A movie with one reference to fix.
BuiltMovie builtWithOneFix() { return MovieBuilder(31).addActr({2, "ABCD", 7}).build(); }
Bytes movieWithOneFix() { return builtWithOneFix().bytes; }

class BatchTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    writeText("fix.dat", fixText(kRules));
  }
};

TEST_F(BatchTest, RecursiveTakesEveryQlmBeneathInOrderOfTheWholePath) {
  for (const char* name :
       {"tree/B.QLM", "tree/a.qlm", "tree/a/z.Qlm", "tree/sub.qlm/c.qlm", "outside/far.qlm"}) {
    putMovie(name, movieWithOneFix());
  }
  writeText("tree/a.qlmx", "not a movie's name");
  writeText("tree/notes.txt", "nor this");
  writeText("tree/qlm", "nor this");
  fs::create_symlink(path("outside"), path("tree/linked-dir"));     // not followed
  fs::create_symlink(path("tree/B.QLM"), path("tree/b-link.qlm"));  // a file: taken

  const std::string tree = path("tree");
  const RunResult result = run({"-r", "--json", "--rules", path("fix.dat"), tree});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, resultRecord(jsonText(tree + "/B.QLM"), "Done", 1) +
                            resultRecord(jsonText(tree + "/a.qlm"), "Done", 1) +
                            resultRecord(jsonText(tree + "/a/z.Qlm"), "Done", 1) +
                            resultRecord(jsonText(tree + "/b-link.qlm"), "Done", 0) +
                            resultRecord(jsonText(tree + "/sub.qlm/c.qlm"), "Done", 1) +
                            summaryRecord(5, 5, 0, 4));
  EXPECT_EQ(readFile(path("outside/far.qlm")), movieWithOneFix());
  EXPECT_EQ(slurp(path("tree/notes.txt")), "nor this");

  // A trailing separator changes nothing but the paths' spelling.
  const RunResult again = run({"-r", "--rules", path("fix.dat"), tree + "/"});
  EXPECT_EQ(again.exitCode, 0);
  EXPECT_NE(again.out.find("5 movies: 5 repaired, 0 failed; 0 problems found and fixed\n"),
            std::string::npos)
      << again.out;
}

TEST_F(BatchTest, WithoutRecursiveADirectoryFailsAndTheOthersGoOn) {
  putMovie("dir/in.qlm", movieWithOneFix());
  putMovie("a.qlm", movieWithOneFix());
  const RunResult result = run({"--json", "--rules", path("fix.dat"), path("dir"), path("a.qlm")});
  EXPECT_EQ(result.exitCode, 3);
  EXPECT_EQ(result.err,
            path("dir") + ": is a directory; -r repairs the movies (*.qlm) beneath it\n");
  EXPECT_EQ(result.out, resultRecord(jsonText(path("dir")), "CannotOpen", 0, false,
                                     "is a directory; -r repairs the movies (*.qlm) beneath it") +
                            resultRecord(jsonText(path("a.qlm")), "Done", 1) +
                            summaryRecord(2, 1, 1, 1));
  EXPECT_EQ(readFile(path("dir/in.qlm")), movieWithOneFix());
}

TEST_F(BatchTest, ListsOfPathsFromFilesAndStandardInput) {
  // Names with blanks, a tab and a line end, which only NUL-separated lists carry.
  const std::vector<std::string> names = {"with blank.qlm", "tab\there.qlm", "line\nend.qlm"};
  std::string nulList;
  for (const std::string& name : names) {
    putMovie(name, movieWithOneFix());
    nulList += path(name) + '\0';
  }
  writeText("list0", nulList);
  const std::string dir = path("");
  const auto records = [&dir](bool dryRun, int fixes) {
    return resultRecord(jsonText(dir + "with blank.qlm"), "Done", fixes, dryRun) +
           resultRecord(jsonText(dir + "tab\there.qlm"), "Done", fixes, dryRun) +
           resultRecord(jsonText(dir + "line\nend.qlm"), "Done", fixes, dryRun) +
           summaryRecord(3, 3, 0, 3 * fixes);
  };

  const RunResult fromFile = run(
      {"--dry-run", "--json", "--null", "--files-from", path("list0"), "--rules", path("fix.dat")});
  EXPECT_EQ(fromFile.exitCode, 0) << fromFile.err;
  EXPECT_EQ(fromFile.out, records(true, 1));

  const RunResult fromStdin =
      run(VANTREL_CLI_PATH, {"--json", "--null", "--files-from", "-", "--rules", path("fix.dat")},
          path("list0"));
  EXPECT_EQ(fromStdin.exitCode, 0) << fromStdin.err;
  EXPECT_EQ(fromStdin.out, records(false, 1));
  for (const std::string& name : names) {
    EXPECT_EQ(readFile(path(name)), expectedAfterFix(builtWithOneFix(), kRules));
  }

  // One path a line: CR LF line ends and empty lines are fine; the movies
  // named as arguments come first.
  putMovie("b.qlm", movieWithOneFix());
  writeText("lines", path("with blank.qlm") + "\r\n\n" + path("b.qlm") + "\n");
  const RunResult fromLines =
      run(VANTREL_CLI_PATH, {"--files-from", "-", "--rules", path("fix.dat"), path("a.qlm")},
          path("lines"));
  EXPECT_EQ(fromLines.exitCode, 3);  // a.qlm is missing
  EXPECT_EQ(fromLines.err.rfind(path("a.qlm") + ": Cannot open QELM file.", 0), 0u)
      << fromLines.err;
  EXPECT_EQ(fromLines.out, path("with blank.qlm") + ": nothing to fix\n" + path("b.qlm") +
                               ": 1 problem found and fixed\n\n"
                               "3 movies: 2 repaired, 1 failed; 1 problem found and fixed\n");
}

TEST_F(BatchTest, AListThatCannotBeReadFailsTheRun) {
  putMovie("a.qlm", movieWithOneFix());
  const RunResult result =
      run({"--files-from", path("no-such-list"), "--rules", path("fix.dat"), path("a.qlm")});
  EXPECT_EQ(result.exitCode, 3);
  EXPECT_EQ(result.err, "vantrel: " + path("no-such-list") +
                            ": cannot read the list of movies: No such file or directory\n");
  EXPECT_EQ(result.out, path("a.qlm") + ": 1 problem found and fixed\n");
}

TEST_F(BatchTest, AmongSeveralMoviesEachReportIsOneLineThatNamesItsPath) {
  putMovie("films/a/Y.QLM", movieWithOneFix());
  putMovie("films/b/Y.QLM", movieWithOneFix());
  putMovie("films/c.qlm", movieWithOneFix());
  const std::string films = path("films");
  const RunResult fixed = run({"-rq", "--rules", path("fix.dat"), path("films/b/Y.QLM"), films});
  EXPECT_EQ(fixed.exitCode, 0);
  EXPECT_EQ(fixed.out, path("films/b/Y.QLM") + ": 1 problem found and fixed\n" +
                           path("films/a/Y.QLM") + ": 1 problem found and fixed\n" +
                           path("films/b/Y.QLM") + ": nothing to fix\n" + path("films/c.qlm") +
                           ": 1 problem found and fixed\n\n"
                           "4 movies: 4 repaired, 0 failed; 3 problems found and fixed\n");

  // A tree is several movies even when it holds one; a dry run says what
  // it would fix.
  putMovie("one/d.qlm", movieWithOneFix());
  const RunResult dry = run({"-r", "--dry", "--rules", path("fix.dat"), path("one")});
  EXPECT_EQ(dry.out, path("one/d.qlm") + ": 1 problem would be fixed\n");
  // With listings, each movie's lines are set apart, its report last.
  const RunResult listed =
      run({"-r", "--dry-run", "--list", "--rules", path("fix.dat"), path("one/d.qlm"), films});
  EXPECT_NE(
      listed.out.find("'ABCD' 7: 2 -> 5\n" + path("one/d.qlm") + ": 1 problem would be fixed\n\n" +
                      path("films/a/Y.QLM") + ": nothing to fix\n\n"),
      std::string::npos)
      << listed.out;
}

}  // namespace
}  // namespace vantrel
