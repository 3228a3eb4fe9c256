// Drives the real vantrel executable: exit codes, what it prints, and what
// it leaves in the movie files.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/movie_builder.h"

namespace vantrel {
namespace {

using namespace moviekit;
namespace fs = std::filesystem;

struct RunResult {
  int exitCode;
  std::string out;
  std::string err;
};

std::string slurp(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

std::string quoted(const std::string& text) {
  std::string result = "'";
  for (const char c : text) result += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return result + "'";
}

const std::vector<Rule> kRules = {{"ABCD", 7, 2, 5}, {"WAVE", 1, 100, 200}};

BuiltMovie sampleMovie(std::uint32_t seed) {
  return MovieBuilder(seed)
      .addActr({2, "ABCD", 7})
      .addTdt({100, "WAVE", 1})
      .addGroupChunk(kTagGgfr, {{1, Reference{2, "ABCD", 7}, {}}, {4, Reference{3, "ABCD", 7}, {}}})
      .build();
}

class CliProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("vantrel-cli-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    writeText("fix.dat", fixText(kRules));
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string path(const std::string& name) const { return (dir_ / name).string(); }
  void writeText(const std::string& name, const std::string& text) const {
    std::ofstream(path(name), std::ios::binary) << text;
  }

  RunResult run(const std::string& program, const std::vector<std::string>& args) const {
    std::string command = quoted(program);
    for (const std::string& arg : args) command += " " + quoted(arg);
    command += " >" + quoted(path("out.txt")) + " 2>" + quoted(path("err.txt")) + " </dev/null";
    const int status = std::system(command.c_str());
    return RunResult{WIFEXITED(status) ? WEXITSTATUS(status) : -1, slurp(path("out.txt")),
                     slurp(path("err.txt"))};
  }
  RunResult run(const std::vector<std::string>& args) const { return run(VANTREL_CLI_PATH, args); }

  fs::path dir_;
};

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
  EXPECT_EQ(missing.err, "Cannot open fix data file\n");
}

TEST_F(CliProgramTest, WithoutRulesNoMovieIsTouched) {
  const BuiltMovie movie = sampleMovie(3);
  writeFile(path("a.qlm"), movie.bytes);
  const RunResult result = run({"--rules", path("absent.dat"), path("a.qlm")});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, "Cannot open fix data file\n");
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(readFile(path("a.qlm")), movie.bytes);
}

TEST_F(CliProgramTest, WarnsOfABadRuleAndUsesTheRulesBeforeIt) {
  writeText("fix.dat", "-ABCD 7 2 5\n-WAVE 1 x 200\n");
  const BuiltMovie movie = sampleMovie(4);
  writeFile(path("a.qlm"), movie.bytes);
  const RunResult result = run({"--rules", path("fix.dat"), path("a.qlm")});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.err,
            "Bad rule in fix.dat at line 2. The rules from that line on are not used.\n");
  EXPECT_EQ(readFile(path("a.qlm")), expectedAfterFix(movie, {{"ABCD", 7, 2, 5}}));
}

TEST_F(CliProgramTest, WithJsonABadRuleIsAlsoARecordOnStdout) {
  writeText("fix.dat", "-ABCD 7 2 5\n\n-WAVE 1 2\n");
  const BuiltMovie movie = sampleMovie(9);
  writeFile(path("a.qlm"), movie.bytes);
  const RunResult result = run({"--json", "--rules", path("fix.dat"), path("a.qlm")});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.err,
            "Bad rule in fix.dat at line 3. The rules from that line on are not used.\n");
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
      {{"--check-rules", "--rules", path("absent.dat")}, 1, "", "Cannot open fix data file\n"},
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
                "only.\n" +
                path("bad.qlm") + ": Not a valid QELM file\n" + path("cut.qlm") +
                ": Not a valid QELM file\n");
  EXPECT_EQ(result.out, "Fix Complete\n\nFile: good.qlm\nNumber of problems found and fixed: 3\n");
  EXPECT_EQ(readFile(path("good.qlm")), expectedAfterFix(movie, kRules));
}

TEST_F(CliProgramTest, DryRunListsWhatWouldBeFixedAndWritesNothing) {
  const BuiltMovie movie = sampleMovie(6);
  writeFile(path("a.qlm"), movie.bytes);
  fs::permissions(path("a.qlm"), fs::perms::owner_read);
  const RunResult result = run({"--dry-run", "--list", "--rules", path("fix.dat"), path("a.qlm")});
  EXPECT_EQ(result.exitCode, 0);
  std::ostringstream expected;
  char offset[16];
  for (const std::size_t i : {0, 1, 2}) {
    std::snprintf(offset, sizeof offset, "0x%08llx",
                  static_cast<unsigned long long>(movie.references[i].offset));
    expected << path("a.qlm") << ": " << offset << " '" << movie.references[i].reference.tag
             << "' " << movie.references[i].reference.number << ": "
             << (i == 1 ? "100 -> 200" : "2 -> 5") << "\n";
  }
  expected << "Dry run: nothing was written\n\nFile: a.qlm\n"
              "Number of problems that would be fixed: 3\n";
  EXPECT_EQ(result.out, expected.str());
  EXPECT_EQ(readFile(path("a.qlm")), movie.bytes);
}

TEST_F(CliProgramTest, SeparatesTheReportsOfSeveralMovies) {
  writeFile(path("a.qlm"), sampleMovie(7).bytes);
  writeFile(path("b.qlm"), sampleMovie(8).bytes);
  const RunResult result = run({"--quiet", "--rules", path("fix.dat"), path("a.qlm"), path("b.qlm")});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out,
            "Fix Complete\n\nFile: a.qlm\nNumber of problems found and fixed: 3\n\n"
            "Fix Complete\n\nFile: b.qlm\nNumber of problems found and fixed: 3\n");
}

TEST_F(CliProgramTest, UsageHelpAndVersion) {
  const RunResult none = run({});
  EXPECT_EQ(none.exitCode, 2);
  EXPECT_EQ(none.err, "vantrel: no movie file given\nTry 'vantrel --help'.\n");
  EXPECT_EQ(run({"--frobnicate", "a.qlm"}).exitCode, 2);
  const RunResult help = run({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_EQ(help.out.rfind("Usage: vantrel [--rules FILE] [--dry-run] [--list] [--quiet] [--json] "
                           "MOVIE...\n       vantrel --check-rules [--rules FILE] [--json]\n",
                           0),
            0u);
  const RunResult version = run({"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out, "vantrel 1.0.0\n");
}

}  // namespace
}  // namespace vantrel
