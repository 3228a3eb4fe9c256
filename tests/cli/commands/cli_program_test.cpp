// Drives the real vantrel executable: exit codes, what it prints, and what
// it leaves in the movie files.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/cli_program_fixture.h"
#include "tests/support/large_movie.h"
#include "tests/support/movie_builder.h"
#include "tests/support/small_tmpfs.h"
#include "tests/support/sparse_movie.h"

namespace vantrel {
namespace {

using namespace moviekit;
namespace fs = std::filesystem;

const std::vector<Rule> kRules = {{"ABCD", 7, 2, 5}, {"WAVE", 1, 100, 200}};

// The --list line for a fix at `offset` in the movie at `moviePath`.
std::string listLine(const std::string& moviePath, std::uint64_t offset, const Reference& reference,
                     const std::string& change) {
  char hex[32];
  std::snprintf(hex, sizeof hex, "0x%08llx", static_cast<unsigned long long>(offset));
  return moviePath + ": " + hex + " '" + reference.tag + "' " + std::to_string(reference.number) +
         ": " + change + "\n";
}

class CliProgramTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    writeText("fix.dat", fixText(kRules));
  }
};

BuiltMovie sampleMovie(std::uint32_t seed) {
  return MovieBuilder(seed)
      .addActr({2, "ABCD", 7})
      .addTdt({100, "WAVE", 1})
      .addGroupChunk(kTagGgfr, {{1, Reference{2, "ABCD", 7}, {}}, {4, Reference{3, "ABCD", 7}, {}}})
      .build();
}

TEST_F(CliProgramTest, RepairsAMovieAndSaysSoInTheWindowsProgramsWords) {
  const BuiltMovie movie = sampleMovie(1);
  writeFile(path("a.qlm"), movie.bytes);
  const RunResult result = run({"--rules", path("fix.dat"), path("a.qlm")});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out, "Fix Complete\n\nFile: a.qlm\nNumber of problems found and fixed: 3\n");
  EXPECT_EQ(result.err, "");  // no bar: stderr is not a terminal
  EXPECT_EQ(readFile(path("a.qlm")), expectedAfterFix(movie, kRules));
}

TEST_F(CliProgramTest, FindsFixDatBesideTheProgram) {
  const fs::path program = dir_ / "vantrel";
  fs::copy_file(VANTREL_CLI_PATH, program);
  const BuiltMovie movie = sampleMovie(2);
  writeFile(path("a.qlm"), movie.bytes);
  fs::create_directories(dir_ / "elsewhere");
  const RunResult result = run(program.string(), {path("a.qlm")});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(readFile(path("a.qlm")), expectedAfterFix(movie, kRules));

  const RunResult checked = run(program.string(), {"--check-rules"});
  EXPECT_EQ(checked.exitCode, 0);
  EXPECT_EQ(checked.out, path("fix.dat") + ": 2 rules, 0 problems\n");

  fs::remove(dir_ / "fix.dat");
  const RunResult missing = run(program.string(), {path("a.qlm")});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_EQ(missing.err.rfind("vantrel: Cannot open fix data file\n  " + path("fix.dat") +
                                  ": No such file or directory\n",
                              0),
            0u);
}

TEST_F(CliProgramTest, WithoutRulesNoMovieIsTouched) {
  const BuiltMovie movie = sampleMovie(3);
  writeFile(path("a.qlm"), movie.bytes);
  const RunResult result = run({"--rules", path("absent.dat"), path("a.qlm")});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, "vantrel: Cannot open fix data file\n  " + path("absent.dat") +
                            ": No such file or directory\n");
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(readFile(path("a.qlm")), movie.bytes);
}

TEST_F(CliProgramTest, WarnsOfABadRuleAndUsesTheRulesBeforeIt) {
  writeText("fix.dat", "-ABCD 7 2 5\n-WAVE 1 x 200\n");
  const BuiltMovie movie = sampleMovie(4);
  writeFile(path("a.qlm"), movie.bytes);
  const RunResult result = run({"--rules", path("fix.dat"), path("a.qlm")});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.err, "vantrel: " + path("fix.dat") +
                            ":2: malformed: a number expected; the rules from this line on "
                            "are not used\n");
  EXPECT_EQ(readFile(path("a.qlm")), expectedAfterFix(movie, {{"ABCD", 7, 2, 5}}));
}

TEST_F(CliProgramTest, WithJsonABadRuleIsAlsoARecordOnStdout) {
  writeText("fix.dat", "-ABCD 7 2 5\n\n-WAVE 1 2\n");
  const BuiltMovie movie = sampleMovie(9);
  writeFile(path("a.qlm"), movie.bytes);
  const RunResult result = run({"--json", "--rules", path("fix.dat"), path("a.qlm")});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.err, "vantrel: " + path("fix.dat") +
                            ":3: malformed: cut short by the end of the file; the rules from "
                            "this line on are not used\n");
  EXPECT_EQ(
      result.out.rfind("{\"type\":\"rule-problem\",\"file\":\"" + path("fix.dat") +
                           "\",\"line\":3,\"kind\":\"malformed\",\"message\":\"cut short by "
                           "the end of the file; the rules from this line on are not used\"}\n",
                       0),
      0u)
      << result.out;
  EXPECT_EQ(readFile(path("a.qlm")), expectedAfterFix(movie, {{"ABCD", 7, 2, 5}}));
}

TEST_F(CliProgramTest, CheckRulesReportsEachProblemOnItsLine) {
  writeText("fix.dat",
            "-ABCD 7 2 5\r\n-ABCD 7 3 9\r\n-WAVE 1 100 100\r\n-AB\r\nC 1 2 3\r\n"
            "-BIG  4294967296 -2147483649 5\r\n# the end\r\n-WAVE 2 3 4\r\n");
  const std::string rules = path("fix.dat");
  const RunResult text = run({"--check-rules", "--rules", rules});
  EXPECT_EQ(text.exitCode, 4);
  EXPECT_EQ(text.err, "");
  EXPECT_EQ(text.out,
            rules +
                ":2: shadowed: same tag 'ABCD' and number 7 as the rule on line 1, which is "
                "the one used; this rule never is\n" +
                rules +
                ":3: no-change: old and new value are both 100, so the rule \"fixes\" the "
                "same reference on every run\n" +
                rules +
                ":4: odd-tag: the tag 'AB\\x0aC' holds a control character; a tag written a "
                "character short takes the next character, such as a line end, as its own\n" +
                rules +
                ":6: wrapped: the number lies outside -2147483648..4294967295 and is kept "
                "modulo 2^32, as 0\n" +
                rules +
                ":6: wrapped: the old value lies outside -2147483648..4294967295 and is "
                "kept modulo 2^32, as 2147483647\n" +
                rules + ":7: malformed: expected '-'; the rules from this line on are not used\n" +
                rules + ": 5 rules, 6 problems\n");

  const RunResult json = run({"--check-rules", "--json", "--rules", rules});
  EXPECT_EQ(json.exitCode, 4);
  const std::string file = "{\"type\":\"rule-problem\",\"file\":\"" + rules + "\",";
  std::istringstream lines(json.out);
  std::vector<std::string> records;
  for (std::string line; std::getline(lines, line);) records.push_back(line);
  ASSERT_EQ(records.size(), 7u) << json.out;
  EXPECT_EQ(records[0].rfind(file + "\"line\":2,\"kind\":\"shadowed\",\"earlierLine\":1,"
                                    "\"tag\":\"ABCD\",\"number\":7,\"message\":\"same tag",
                             0),
            0u);
  EXPECT_EQ(records[2].rfind(file + "\"line\":4,\"kind\":\"odd-tag\",\"tag\":\"AB\\u000aC\"", 0),
            0u);
  EXPECT_EQ(records[4].rfind(file + "\"line\":6,\"kind\":\"wrapped\",\"tag\":\"BIG \",\"number\":0,"
                                    "\"field\":\"oldValue\",\"kept\":2147483647,",
                             0),
            0u);
  EXPECT_EQ(records[5].rfind(file + "\"line\":7,\"kind\":\"malformed\",\"message\":", 0), 0u);
  EXPECT_EQ(records[6], "{\"type\":\"summary\",\"rules\":5,\"problems\":6}");
}

TEST_F(CliProgramTest, CheckRulesExitCodes) {
  const BuiltMovie movie = sampleMovie(10);
  writeFile(path("a.qlm"), movie.bytes);
  writeText("bad.dat", "-ABCD 1 2 2\n");
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    std::string out;
    std::string err;
  };
  const Case cases[] = {
      {{"--check-rules", "--rules", path("fix.dat")},
       0,
       path("fix.dat") + ": 2 rules, 0 problems\n",
       ""},
      {{"--check-rules", "--json", "--rules", path("fix.dat")},
       0,
       "{\"type\":\"summary\",\"rules\":2,\"problems\":0}\n",
       ""},
      {{"--rules", path("bad.dat"), "--check-rules"},
       4,
       path("bad.dat") +
           ":1: no-change: old and new value are both 2, so the rule \"fixes\" the "
           "same reference on every run\n" +
           path("bad.dat") + ": 1 rule, 1 problem\n",
       ""},
      {{"--check-rules", "--rules", path("absent.dat")},
       1,
       "",
       "vantrel: Cannot open fix data file\n  " + path("absent.dat") +
           ": No such file or directory\n"},
      {{"--check-rules", "--rules", path("bad.dat"), path("a.qlm")},
       2,
       "",
       "vantrel: option '--check-rules' takes no movie file\nTry 'vantrel --help'.\n"},
  };
  for (const Case& c : cases) {
    const RunResult result = run(c.args);
    EXPECT_EQ(result.exitCode, c.exitCode) << c.args[1];
    EXPECT_EQ(result.out, c.out);
    EXPECT_EQ(result.err, c.err);
  }
  EXPECT_EQ(readFile(path("a.qlm")), movie.bytes);
}

TEST_F(CliProgramTest, GoesOnPastMoviesThatFailAndEndsWithThree) {
  const BuiltMovie movie = sampleMovie(5);
  writeFile(path("good.qlm"), movie.bytes);
  writeText("bad.qlm", "RIFF and not a movie");
  writeFile(path("cut.qlm"), Bytes(movie.bytes.begin(), movie.bytes.end() - 30));
  const RunResult result = run({"--rules", path("fix.dat"), path("missing.qlm"), path("bad.qlm"),
                                path("good.qlm"), path("cut.qlm")});
  EXPECT_EQ(result.exitCode, 3);
  EXPECT_EQ(result.err,
            path("missing.qlm") +
                ": Cannot open QELM file. Make sure the file is not already open and is not read "
                "only. (No such file or directory)\n" +
                path("bad.qlm") + ": Not a valid QELM file\n" + path("cut.qlm") +
                ": Not a valid QELM file\n");
  EXPECT_EQ(result.out, path("good.qlm") +
                            ": 3 problems found and fixed\n\n"
                            "4 movies: 1 repaired, 3 failed; 3 problems found and fixed\n");
  EXPECT_EQ(readFile(path("good.qlm")), expectedAfterFix(movie, kRules));
}

TEST_F(CliProgramTest, DryRunListsWhatWouldBeFixedAndWritesNothing) {
  const BuiltMovie movie = sampleMovie(6);
  writeFile(path("a.qlm"), movie.bytes);
  fs::permissions(path("a.qlm"), fs::perms::owner_read);
  const RunResult result = run({"--dry-run", "--list", "--rules", path("fix.dat"), path("a.qlm")});
  EXPECT_EQ(result.exitCode, 0);
  std::ostringstream expected;
  for (const std::size_t i : {0, 1, 2}) {
    expected << listLine(path("a.qlm"), movie.references[i].offset, movie.references[i].reference,
                         i == 1 ? "100 -> 200" : "2 -> 5");
  }
  expected << "Dry run: nothing was written\n\nFile: a.qlm\n"
              "Number of problems that would be fixed: 3\n";
  EXPECT_EQ(result.out, expected.str());
  EXPECT_EQ(readFile(path("a.qlm")), movie.bytes);
}

TEST_F(CliProgramTest, SeparatesTheReportsOfSeveralMovies) {
  writeFile(path("a.qlm"), sampleMovie(7).bytes);
  writeFile(path("b.qlm"), sampleMovie(8).bytes);
  const RunResult result =
      run({"--quiet", "--rules", path("fix.dat"), path("a.qlm"), path("b.qlm")});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out, path("a.qlm") + ": 3 problems found and fixed\n" + path("b.qlm") +
                            ": 3 problems found and fixed\n\n"
                            "2 movies: 2 repaired, 0 failed; 6 problems found and fixed\n");
}

TEST_F(CliProgramTest, UsageHelpAndVersion) {
  const RunResult none = run({});
  EXPECT_EQ(none.exitCode, 2);
  EXPECT_EQ(none.err, "vantrel: no movie file given\nTry 'vantrel --help'.\n");
  EXPECT_EQ(run({"--frobnicate", "a.qlm"}).exitCode, 2);
  const RunResult help = run({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_EQ(help.out.rfind("Usage: vantrel [OPTION]... MOVIE...\n"
                           "  or:  vantrel [OPTION]... --files-from LIST [MOVIE]...\n"
                           "  or:  vantrel --check-rules [--rules FILE] [--json]\n",
                           0),
            0u);
  const RunResult version = run({"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out, "vantrel 1.0.0\n");

  // Renamed, it goes by its new name in every message of its own.
  const fs::path renamed = dir_ / "vt.exe";
  fs::copy_file(VANTREL_CLI_PATH, renamed);
  EXPECT_EQ(run(renamed.string(), {"--vers"}).out, "vt 1.0.0\n");
  EXPECT_EQ(run(renamed.string(), {"-qx"}).err, "vt: unknown option '-x'\nTry 'vt --help'.\n");
  EXPECT_EQ(run(renamed.string(), {"--rules", "none.dat", "a.qlm"}).err,
            "vt: Cannot open fix data file\n  none.dat: No such file or directory\n");
  EXPECT_EQ(run(renamed.string(), {"--he"}).out.rfind("Usage: vt [OPTION]... MOVIE...\n", 0), 0u);
}

// Modes that "touch no movie" once took back a repair when --undo came
// last; now two modes, or an option a mode does not use, are a usage error
// that names both, in either order, and nothing is touched.
TEST_F(CliProgramTest, ModesAreExclusiveAndTakeOnlyTheirOwnOptions) {
  const BuiltMovie movie = sampleMovie(8);
  writeFile(path("a.qlm"), movie.bytes);
  ASSERT_EQ(run({"-q", "--journal", "--rules", path("fix.dat"), path("a.qlm")}).exitCode, 0);
  const Bytes repaired = readFile(path("a.qlm"));
  const std::string journal = slurp(path("a.qlm.undo"));
  ASSERT_FALSE(journal.empty());
  struct Case {
    std::vector<std::string> args;
    const char* first;
    const char* second;
  };
  const Case cases[] = {
      {{"--show-rules-path", "--undo", path("a.qlm")}, "--show-rules-path", "--undo"},
      {{"--undo", "--show-rules-path", path("a.qlm")}, "--undo", "--show-rules-path"},
      {{"--check-rules", "--undo", path("a.qlm")}, "--check-rules", "--undo"},
      {{"--undo", "--check-rules"}, "--undo", "--check-rules"},
      {{"--derive-rules", "--undo", path("a.qlm"), path("a.qlm")}, "--derive-rules", "--undo"},
      {{"--check-rules", "--backup", "--rules", path("fix.dat")}, "--check-rules", "--backup"},
      {{"--dry-run", "--check-rules"}, "--check-rules", "--dry-run"},
      {{"--check-rules", "--journal"}, "--check-rules", "--journal"},
      {{"-r", "--check-rules"}, "--check-rules", "--recursive"},
      {{"--undo", "--rules", path("fix.dat"), path("a.qlm")}, "--undo", "--rules"},
  };
  for (const Case& c : cases) {
    const RunResult result = run(c.args);
    EXPECT_EQ(result.exitCode, 2) << c.first << ' ' << c.second;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, std::string("vantrel: option '") + c.first + "' cannot be used with '" +
                              c.second + "'\nTry 'vantrel --help'.\n");
  }
  // A backup and a journal of one name could never both be made.
  const RunResult same =
      run({"--backup=.undo", "--journal", "--rules", path("fix.dat"), path("a.qlm")});
  EXPECT_EQ(same.exitCode, 2);
  EXPECT_EQ(same.err,
            "vantrel: options '--backup' and '--journal' would name one file: both have the suffix "
            "'.undo'\nTry 'vantrel --help'.\n");
  EXPECT_EQ(readFile(path("a.qlm")), repaired);
  EXPECT_EQ(slurp(path("a.qlm.undo")), journal);
  EXPECT_FALSE(fs::exists(path("a.qlm.bak")));
}

// The names in `folder` that begin with `prefix`, sorted.
std::vector<std::string> namesStartingWith(const std::string& folder, const std::string& prefix) {
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(prefix, 0) == 0) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST_F(CliProgramTest, BackupIsTheMovieAsItWasBeforeTheFirstFix) {
  struct Case {
    const char* option;
    const char* suffix;
  };
  for (const Case c : {Case{"--backup", ".bak"}, Case{"--backup=.orig", ".orig"}}) {
    SCOPED_TRACE(c.option);
    const BuiltMovie movie = sampleMovie(9);
    writeFile(path("a.qlm"), movie.bytes);
    const RunResult result = run({c.option, "--rules", path("fix.dat"), path("a.qlm")});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(readFile(path("a.qlm")), expectedAfterFix(movie, kRules));
    EXPECT_EQ(readFile(path(std::string("a.qlm") + c.suffix)), movie.bytes);
    EXPECT_EQ(namesStartingWith(dir_.string(), "a.qlm"),
              (std::vector<std::string>{"a.qlm", std::string("a.qlm") + c.suffix}));
    fs::remove(path(std::string("a.qlm") + c.suffix));
  }
}

TEST_F(CliProgramTest, NoBackupWhenNothingIsWritten) {
  struct Case {
    const char* what;
    std::vector<Rule> rules;
    bool dryRun;
  };
  const Case cases[] = {{"nothing to fix", {{"NONE", 1, 2, 3}}, false}, {"dry run", kRules, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    writeText("fix.dat", fixText(c.rules));
    writeFile(path("a.qlm"), sampleMovie(10).bytes);
    std::vector<std::string> args = {"--backup", "--rules", path("fix.dat"), path("a.qlm")};
    if (c.dryRun) args.insert(args.begin(), "--dry-run");
    EXPECT_EQ(run(args).exitCode, 0);
    EXPECT_EQ(namesStartingWith(dir_.string(), "a.qlm"), std::vector<std::string>{"a.qlm"});
  }
}

TEST_F(CliProgramTest, AnExistingBackupLeavesItsMovieAloneAndTheOthersGoOn) {
  const BuiltMovie first = sampleMovie(11);
  const BuiltMovie second = sampleMovie(12);
  writeFile(path("a.qlm"), first.bytes);
  writeFile(path("b.qlm"), second.bytes);
  writeText("a.qlm.bak", "an older backup");
  const RunResult result =
      run({"--backup", "--rules", path("fix.dat"), path("a.qlm"), path("b.qlm")});
  EXPECT_EQ(result.exitCode, 3);
  EXPECT_EQ(result.err, path("a.qlm") + ": Cannot make the backup " + path("a.qlm.bak") +
                            ": File exists. Nothing was written to the QELM file.\n");
  EXPECT_EQ(result.out, path("b.qlm") +
                            ": 3 problems found and fixed\n\n"
                            "2 movies: 1 repaired, 1 failed; 3 problems found and fixed\n");
  EXPECT_EQ(readFile(path("a.qlm")), first.bytes);
  EXPECT_EQ(slurp(path("a.qlm.bak")), "an older backup");
  EXPECT_EQ(readFile(path("b.qlm")), expectedAfterFix(second, kRules));
  EXPECT_EQ(readFile(path("b.qlm.bak")), second.bytes);
  EXPECT_EQ(namesStartingWith(dir_.string(), "a.qlm"),
            (std::vector<std::string>{"a.qlm", "a.qlm.bak"}));
}

TEST_F(CliProgramTest, ABackupThatDoesNotFitIsRemovedAndTheMovieLeftAlone) {
  const SmallTmpfs disk(1024);
  if (!disk.mounted()) GTEST_SKIP() << disk.whyNot();
  const BuiltMovie movie = MovieBuilder(13)
                               .addActr({2, "ABCD", 7})
                               .addOtherChunk(makeChunkTag("SND "), 600000)
                               .addTdt({100, "WAVE", 1})
                               .build();
  const std::string moviePath = disk.path("big.qlm");
  writeFile(moviePath, movie.bytes);
  const RunResult result = run({"--backup", "--rules", path("fix.dat"), moviePath});
  EXPECT_EQ(result.exitCode, 3);
  EXPECT_EQ(result.err, moviePath + ": Cannot make the backup " + moviePath +
                            ".bak: No space left on device. Nothing was written to the QELM "
                            "file.\n");
  EXPECT_EQ(readFile(moviePath), movie.bytes);
  EXPECT_EQ(namesStartingWith(disk.path(""), "big.qlm"), std::vector<std::string>{"big.qlm"});
}

TEST_F(CliProgramTest, OnAFullDiskOnlyTheFixesThatLandAreListed) {
  const SmallTmpfs disk(1024);
  if (!disk.mounted()) GTEST_SKIP() << disk.whyNot();
  const SparseMovie sparse = sparseMovie(static_cast<std::uint32_t>(sysconf(_SC_PAGESIZE)));
  const std::string moviePath = disk.path("sparse.qlm");
  writeSparseFile(moviePath, sparse);
  writeText("fix.dat", fixText(sparse.rules));
  disk.fill();

  const RunResult result = run({"--list", "--rules", path("fix.dat"), moviePath});
  EXPECT_EQ(result.exitCode, 3);
  std::string listed;
  for (const std::uint64_t offset : sparse.landing) {
    listed += listLine(moviePath, offset, {5, "SPRS", 2}, "5 -> 572662306");
  }
  EXPECT_EQ(result.out, listed);
  std::string failures;
  for (const std::uint64_t offset : sparse.failing) {
    char hex[32];
    std::snprintf(hex, sizeof hex, "0x%08llx", static_cast<unsigned long long>(offset));
    failures += moviePath + ": ?? the fix at " + hex + " could not be written\n";
  }
  failures +=
      moviePath + ": Cannot save all fixes to the QELM file. It may be only partly repaired.\n";
  EXPECT_EQ(result.err, failures);
  EXPECT_EQ(readFile(moviePath), withLandingFixes(sparse));
}

// Offsets past 2 GiB and up to the last a chunk can name: every fix lands
// where it belongs, and the holes stay unwritten (their blocks unallocated).
TEST_F(CliProgramTest, RepairsAFourGibibyteMovie) {
  const LargeMovie movie = largeMovie();
  const std::string moviePath = path("large.qlm");
  writeText("large.dat", fixText(movie.rules));
  writeLargeMovie(moviePath, movie);
  // On the disk first, so that the blocks its extents need are counted already.
  const int fd = ::open(moviePath.c_str(), O_RDONLY);
  ASSERT_TRUE(fd >= 0 && ::fsync(fd) == 0 && ::close(fd) == 0);
  struct stat before {};
  ASSERT_EQ(::stat(moviePath.c_str(), &before), 0);
  ASSERT_LT(before.st_blocks, 2048) << "the file system keeps no holes";

  const RunResult result = run({"--rules", path("large.dat"), moviePath});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "Fix Complete\n\nFile: large.qlm\nNumber of problems found and fixed: " +
                            std::to_string(movie.fixed.size()) + "\n");
  EXPECT_EQ(firstDifference(moviePath, piecesAfterFix(movie)), "");
  struct stat after {};
  ASSERT_EQ(::stat(moviePath.c_str(), &after), 0);
  EXPECT_EQ(static_cast<std::uint64_t>(after.st_size), movie.size);
  EXPECT_EQ(after.st_blocks, before.st_blocks);
}

}  // namespace
}  // namespace vantrel
