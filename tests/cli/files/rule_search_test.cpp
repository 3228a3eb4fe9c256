// Where vantrel finds its rules without --rules, end to end: each place of
// the search in turn, what it says when there are none, and --references
// without rules.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "tests/support/cli_program_fixture.h"
#include "tests/support/movie_builder.h"

namespace vantrel {
namespace {

using namespace moviekit;
namespace fs = std::filesystem;

const std::string kMissing = ": No such file or directory\n";

class RuleSearchTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    fs::create_directories(dir_ / "bin");
    fs::copy_file(VANTREL_CLI_PATH, dir_ / "bin" / "vantrel");
    setenv("XDG_CONFIG_HOME", path("cfg").c_str(), 1);
    setenv("XDG_CONFIG_DIRS", (path("x1") + ":" + path("x2")).c_str(), 1);
  }
  void TearDown() override {
    fs::current_path(fs::temp_directory_path());
    ProgramTest::TearDown();
  }
  RunResult runInstalled(const std::vector<std::string>& args) const {
    return run(path("bin/vantrel"), args);
  }
  // A rule file at `name` whose only rule fixes ABCD 7 from 2 to `newValue`.
  void putRules(const std::string& name, std::uint32_t newValue) const {
    fs::create_directories(fs::path(path(name)).parent_path());
    writeText(name, fixText({{"ABCD", 7, 2, newValue}}));
  }
  // /etc/vantrel/fix.dat is the search's last place and cannot be moved.
  static bool machineHasRules() { return fs::exists("/etc/vantrel/fix.dat"); }
};

TEST_F(RuleSearchTest, TakesTheFirstPlaceThatHoldsRulesAndNeverTheCurrentFolder) {
  struct Place {
    std::string file;  // in the test's folder
    std::uint32_t newValue;
  };
  const Place places[] = {{"named.dat", 11},
                          {"bin/fix.dat", 12},
                          {"cfg/vantrel/fix.dat", 13},
                          {"x1/vantrel/fix.dat", 14},
                          {"x2/vantrel/fix.dat", 15}};
  for (const Place& place : places) putRules(place.file, place.newValue);
  setenv("VANTREL_RULES", path("named.dat").c_str(), 1);
  // A fix.dat in the current folder, as downloads bring them, is never read.
  putRules("fix.dat", 99);
  fs::current_path(dir_);

  for (const Place& place : places) {
    SCOPED_TRACE(place.file);
    const RunResult shown = runInstalled({"--show-rules-path"});
    EXPECT_EQ(shown.exitCode, 0) << shown.err;
    EXPECT_EQ(shown.out, path(place.file) + "\n");
    // The rules found are the ones the repair uses.
    const BuiltMovie movie = MovieBuilder(3).addActr({2, "ABCD", 7}).build();
    writeFile(path("a.qlm"), movie.bytes);
    EXPECT_EQ(runInstalled({"a.qlm"}).exitCode, 0);
    EXPECT_EQ(readFile(path("a.qlm")), expectedAfterFix(movie, {{"ABCD", 7, 2, place.newValue}}));
    fs::remove(path(place.file));
    if (place.file == "named.dat") unsetenv("VANTREL_RULES");
  }
  if (machineHasRules()) GTEST_SKIP() << "/etc/vantrel/fix.dat exists on this machine";
  const RunResult none = runInstalled({"--show-rules-path"});
  EXPECT_EQ(none.exitCode, 1);
  EXPECT_EQ(none.out, "");
  EXPECT_EQ(none.err, "vantrel: Cannot open fix data file\n  " + path("bin/fix.dat") + kMissing +
                          "  " + path("cfg/vantrel/fix.dat") + kMissing + "  " +
                          path("x1/vantrel/fix.dat") + kMissing + "  " +
                          path("x2/vantrel/fix.dat") + kMissing + "  /etc/vantrel/fix.dat" +
                          kMissing);
  EXPECT_EQ(runInstalled({"a.qlm"}).err, none.err);
  EXPECT_EQ(runInstalled({"--check-rules"}).err, none.err);
}

TEST_F(RuleSearchTest, DefaultsToTheHomeFolderAndStopsAtAPlaceThatCannotBeRead) {
  unsetenv("XDG_CONFIG_HOME");
  setenv("HOME", path("home").c_str(), 1);
  putRules("home/.config/vantrel/fix.dat", 1);
  putRules("x2/vantrel/fix.dat", 2);
  EXPECT_EQ(runInstalled({"--show-rules-path"}).out, path("home/.config/vantrel/fix.dat") + "\n");

  // A file the user meant but that cannot be read is not passed over.
  if (geteuid() != 0) {  // root reads it all the same
    fs::permissions(path("home/.config/vantrel/fix.dat"), fs::perms::none);
    const RunResult unreadable = runInstalled({"--show-rules-path"});
    EXPECT_EQ(unreadable.exitCode, 1);
    EXPECT_EQ(unreadable.err, "vantrel: Cannot open fix data file\n  " + path("bin/fix.dat") +
                                  kMissing + "  " + path("home/.config/vantrel/fix.dat") +
                                  ": Permission denied\n");
  }
  // A folder there holds no rules: the search goes on past it.
  fs::remove(path("home/.config/vantrel/fix.dat"));
  fs::create_directories(path("home/.config/vantrel/fix.dat"));
  EXPECT_EQ(runInstalled({"--show-rules-path"}).out, path("x2/vantrel/fix.dat") + "\n");

  // The file VANTREL_RULES or --rules names is the only one tried.
  setenv("VANTREL_RULES", "gone.dat", 1);
  EXPECT_EQ(runInstalled({"--show-rules-path"}).err,
            "vantrel: Cannot open fix data file\n  gone.dat" + kMissing);
  EXPECT_EQ(runInstalled({"--rules", path("x2/vantrel/fix.dat"), "--show-rules-path"}).out,
            path("x2/vantrel/fix.dat") + "\n");
}

// Something other than a regular file in a place of the search, where the
// search once read it (and waited for ever on a pipe), is passed over with
// its reason; one that the user named is read whatever it is.
TEST_F(RuleSearchTest, PassesOverPipesDevicesAndFoldersButReadsANamedPipe) {
  const std::string places[] = {"bin/fix.dat", "cfg/vantrel/fix.dat", "x1/vantrel/fix.dat",
                                "x2/vantrel/fix.dat"};
  struct Kind {
    const char* what;
    const char* reason;
  };
  const Kind kinds[] = {{"pipe", "not a regular file"},
                        {"device", "not a regular file"},
                        {"folder", "is a directory"}};
  const std::string timeout = "/usr/bin/timeout";
  for (const std::string& place : places) {
    for (const Kind& kind : kinds) {
      SCOPED_TRACE(place + ": " + kind.what);
      fs::create_directories(fs::path(path(place)).parent_path());
      const std::string what = kind.what;
      if (what == "pipe") {
        ASSERT_EQ(mkfifo(path(place).c_str(), 0600), 0);
      }
      if (what == "device") fs::create_symlink("/dev/zero", path(place));
      if (what == "folder") fs::create_directories(path(place));
      // The rules lie in the next place, or in none.
      const std::string* next = std::find(std::begin(places), std::end(places), place) + 1;
      if (next != std::end(places)) putRules(*next, 21);

      for (const char* mode : {"--show-rules-path", "--check-rules"}) {
        const RunResult shown = run(timeout, {"20", path("bin/vantrel"), mode});
        if (next != std::end(places)) {
          EXPECT_EQ(shown.exitCode, 0) << mode << ": " << shown.err;
          EXPECT_NE(shown.out.find(path(*next)), std::string::npos) << shown.out;
        } else if (!machineHasRules()) {
          EXPECT_EQ(shown.exitCode, 1) << mode;
          EXPECT_NE(shown.err.find("  " + path(place) + ": " + kind.reason + "\n"),
                    std::string::npos)
              << shown.err;
          EXPECT_NE(shown.err.find("  /etc/vantrel/fix.dat"), std::string::npos) << shown.err;
        }
      }
      const BuiltMovie movie = MovieBuilder(5).addActr({2, "ABCD", 7}).build();
      writeFile(path("a.qlm"), movie.bytes);
      const RunResult repaired = run(timeout, {"20", path("bin/vantrel"), path("a.qlm")});
      if (next != std::end(places)) {
        EXPECT_EQ(repaired.exitCode, 0) << repaired.err;
        EXPECT_EQ(readFile(path("a.qlm")), expectedAfterFix(movie, {{"ABCD", 7, 2, 21}}));
        fs::remove(path(*next));
      } else if (!machineHasRules()) {
        EXPECT_EQ(repaired.exitCode, 1);
        EXPECT_EQ(readFile(path("a.qlm")), movie.bytes);
      }
      fs::remove(path(place));
    }
  }

  // Named, a pipe is read as one: here the shell's pipe of two rule files.
  putRules("a.dat", 31);
  writeText("b.dat", fixText({{"WAVE", 1, 100, 200}}));
  const std::string both = "<(cat " + quoted(path("a.dat")) + " " + quoted(path("b.dat")) + ")";
  const RunResult checked =
      run("/bin/bash", {"-c", "\"$0\" --check-rules --rules " + both, path("bin/vantrel")});
  EXPECT_EQ(checked.exitCode, 0) << checked.err;
  EXPECT_NE(checked.out.find(": 2 rules, 0 problems\n"), std::string::npos) << checked.out;
  ASSERT_EQ(mkfifo(path("named.pipe").c_str(), 0600), 0);
  setenv("VANTREL_RULES", path("named.pipe").c_str(), 1);
  const RunResult fed =
      run("/bin/bash", {"-c",
                        "cat " + quoted(path("a.dat")) + " >" + quoted(path("named.pipe")) +
                            " & \"$0\" --check-rules",
                        path("bin/vantrel")});
  EXPECT_EQ(fed.exitCode, 0) << fed.err;
  EXPECT_EQ(fed.out, path("named.pipe") + ": 1 rule, 0 problems\n");
}

TEST_F(RuleSearchTest, ReferencesNeedNoRulesAndTheWarningNamesTheFileRead) {
  const BuiltMovie movie = MovieBuilder(4).addActr({2, "ABCD", 7}).build();
  writeFile(path("a.qlm"), movie.bytes);
  if (!machineHasRules()) {
    const RunResult listed = runInstalled({"--references", path("a.qlm")});
    EXPECT_EQ(listed.exitCode, 0);
    EXPECT_EQ(listed.err,
              "vantrel: no rule file was found, so every reference is listed as no-rule\n");
    EXPECT_NE(listed.out.find("'ABCD'           7           2  no-rule        -\n"),
              std::string::npos)
        << listed.out;
  }
  // A file the user named must be there, even to list references.
  EXPECT_EQ(runInstalled({"--references", "--rules", "gone.dat", path("a.qlm")}).exitCode, 1);

  fs::create_directories(dir_ / "rules");
  writeText("rules/c.dat", "-ABCD 7 2 5\n-WAVE x 1 2\n");
  fs::current_path(dir_);
  const std::string malformed =
      ":2: malformed: a number expected; the rules from this line on are not used\n";
  const RunResult given = runInstalled({"--rules", "rules/c.dat", "--dry-run", "a.qlm"});
  EXPECT_EQ(given.err, "vantrel: rules/c.dat" + malformed);
  // Found, it is named by the path it was found at, in the JSON record too.
  putRules("x1/vantrel/fix.dat", 5);
  fs::copy_file(path("rules/c.dat"), path("x1/vantrel/fix.dat"),
                fs::copy_options::overwrite_existing);
  const RunResult found = runInstalled({"--json", "--dry-run", "a.qlm"});
  EXPECT_EQ(found.err, "vantrel: " + path("x1/vantrel/fix.dat") + malformed);
  EXPECT_EQ(found.out.rfind("{\"type\":\"rule-problem\",\"file\":\"" + path("x1/vantrel/fix.dat") +
                                "\",\"line\":2,",
                            0),
            0u)
      << found.out;
}

}  // namespace
}  // namespace vantrel
