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
  EXPECT_EQ(help.out.rfind("Usage: vantrel [--rules FILE] [--dry-run] [--list] [--quiet] [--backup[=SUFFIX]] MOVIE...", 0), 0u);
  const RunResult version = run({"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out, "vantrel 1.0.0\n");
}

}  // namespace
}  // namespace vantrel
