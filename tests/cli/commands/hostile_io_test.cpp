// The real vantrel executable against output that cannot be written, lists
// and names that are too long or hold what they should not, and movies that
// cannot be opened: exit codes, what it tells, and the movies' bytes.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include "cli/files/movie_sources.h"
#include "tests/support/cli_program_fixture.h"
#include "tests/support/hostile_movies.h"
#include "tests/support/model_walk.h"
#include "tests/support/movie_builder.h"

namespace vantrel {
namespace {

using namespace moviekit;
namespace fs = std::filesystem;

const std::vector<Rule> kRules = {{"ABCD", 7, 2, 5}};

// Whether vantrel, built as these tests are, runs under AddressSanitizer,
// which reserves far more address space than any cap on memory allows.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kUnderAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kUnderAddressSanitizer = true;
#else
constexpr bool kUnderAddressSanitizer = false;
#endif
#else
constexpr bool kUnderAddressSanitizer = false;
#endif

// A movie with `fixes` references to fix, all in one group chunk: with
// --list its report is far longer than any output buffer.
BuiltMovie movieWithFixes(std::uint32_t seed, std::size_t fixes) {
  std::vector<Element> elements(fixes, Element{4, Reference{2, "ABCD", 7}, {}});
  return MovieBuilder(seed).addActr({2, "ABCD", 7}).addGroupChunk(kTagGgfr, elements).build();
}

enum class Output { ClosedPipe, FullDisk, ClosedDescriptor };

class HostileIoTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    writeText("fix.dat", fixText(kRules));
  }

  // Runs vantrel with `args` and its standard output going where `output`
  // says; SIGPIPE as a shell leaves it, so that only the program itself can
  // keep a closed pipe from ending it.
  RunResult runInto(Output output, const std::vector<std::string>& args) const {
    std::string command = "exec " + quoted(VANTREL_CLI_PATH);
    for (const std::string& arg : args) command += " " + quoted(arg);
    command += " 2>" + quoted(path("err.txt")) + " </dev/null";
    if (output == Output::FullDisk) command += " >/dev/full";
    if (output == Output::ClosedDescriptor) command += " >&-";
    int ends[2];
    if (::pipe(ends) != 0) return RunResult{-1, "", "no pipe"};
    ::close(ends[0]);  // nobody will ever read
    const pid_t child = ::fork();
    if (child == 0) {
      std::signal(SIGPIPE, SIG_DFL);
      if (output == Output::ClosedPipe) ::dup2(ends[1], STDOUT_FILENO);
      ::close(ends[1]);
      ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::close(ends[1]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return RunResult{WIFEXITED(status) ? WEXITSTATUS(status) : -1, "", slurp(path("err.txt"))};
  }
};

TEST_F(HostileIoTest, LostOutputStopsNoRepairAndEndsWithFive) {
  struct Mode {
    std::vector<std::string> args;
    bool movies;  // whether the mode takes movies
    bool writes;  // whether it repairs them
  };
  const Mode modes[] = {
      {{}, true, true},
      {{"--list"}, true, true},
      {{"--json"}, true, true},
      {{"--json", "--list"}, true, true},
      {{"--references"}, true, false},
      {{"--check-rules"}, false, false},
      {{"--help"}, false, false},
      {{"--version"}, false, false},
  };
  struct Sink {
    Output output;
    const char* reason;
  };
  const Sink sinks[] = {{Output::ClosedPipe, "Broken pipe"},
                        {Output::FullDisk, "No space left on device"},
                        {Output::ClosedDescriptor, "Bad file descriptor"}};
  const BuiltMovie a = movieWithFixes(1, 3000), b = movieWithFixes(2, 20);
  for (const Mode& mode : modes) {
    for (const Sink& sink : sinks) {
      SCOPED_TRACE((mode.args.empty() ? "repair" : mode.args.back()) + " into " + sink.reason);
      writeFile(path("a.qlm"), a.bytes);
      writeFile(path("b.qlm"), b.bytes);
      std::vector<std::string> args = mode.args;
      args.insert(args.end(), {"--rules", path("fix.dat")});
      if (mode.movies) args.insert(args.end(), {path("a.qlm"), path("b.qlm")});
      const RunResult result = runInto(sink.output, args);
      EXPECT_EQ(result.exitCode, 5);
      EXPECT_EQ(result.err, std::string("vantrel: write error: ") + sink.reason + "\n");
      EXPECT_EQ(readFile(path("a.qlm")), mode.writes ? expectedAfterFix(a, kRules) : a.bytes);
      EXPECT_EQ(readFile(path("b.qlm")), mode.writes ? expectedAfterFix(b, kRules) : b.bytes);
    }
  }
  // A movie that failed, or rules that could not be read, matter more.
  writeFile(path("a.qlm"), a.bytes);
  const RunResult failed =
      runInto(Output::FullDisk, {"--rules", path("fix.dat"), path("no.qlm"), path("a.qlm")});
  EXPECT_EQ(failed.exitCode, 3);
  EXPECT_NE(failed.err.find("vantrel: write error: No space left on device\n"), std::string::npos);
  EXPECT_EQ(readFile(path("a.qlm")), expectedAfterFix(a, kRules));
  EXPECT_EQ(
      runInto(Output::ClosedPipe, {"--json", "--rules", path("no.dat"), path("a.qlm")}).exitCode,
      1);
}

TEST_F(HostileIoTest, SuffixesThatLeadOutOfTheFolderAreUsageErrors) {
  const BuiltMovie movie = movieWithFixes(3, 1);
  writeFile(path("a.qlm"), movie.bytes);
  for (const char* suffix : {"/../x", "\\..\\x", ":ads", ".bak/", "x\\", ".b:ak"}) {
    SCOPED_TRACE(suffix);
    const RunResult result =
        run({std::string("--backup=") + suffix, "--rules", path("fix.dat"), path("a.qlm")});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_NE(result.err.find("a suffix may hold none of '/', '\\' and ':'"), std::string::npos)
        << result.err;
  }
  EXPECT_EQ(readFile(path("a.qlm")), movie.bytes);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 4);
}

// Every length of name up to the system's limit, for the backup as for the
// movie: the temporary copy never needs a longer name than the backup.
TEST_F(HostileIoTest, BackupsTakeEveryNameTheSystemAccepts) {
  const long nameMax = ::pathconf(dir_.c_str(), _PC_NAME_MAX);
  ASSERT_GT(nameMax, 20);
  const BuiltMovie movie = movieWithFixes(4, 2);
  for (long length = nameMax - 12; length < nameMax; ++length) {
    const std::string name = std::string(static_cast<std::size_t>(length) - 4, 'm') + ".qlm";
    SCOPED_TRACE(name.size());
    writeFile(path(name), movie.bytes);
    const RunResult result = run({"--backup=~", "--rules", path("fix.dat"), path(name)});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(readFile(path(name)), expectedAfterFix(movie, kRules));
    EXPECT_EQ(readFile(path(name + "~")), movie.bytes);
    fs::remove(path(name));
    fs::remove(path(name + "~"));
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 3)
      << "no temporary copy is left";  // fix.dat and the two files of run()
}

TEST_F(HostileIoTest, ListsWithPathsTooLongGoOnInBoundedMemory) {
  const BuiltMovie movie = movieWithFixes(5, 1);
  writeFile(path("a.qlm"), movie.bytes);
  writeText("tail.txt", "\n" + path("a.qlm") + "\n");
  // 160 MB of one path, then a movie; memory is capped well below that,
  // where the sanitizers, which reserve much address space, allow a cap.
  std::string command =
      "head -c 160000000 /dev/zero | tr '\\0' x | cat - " + quoted(path("tail.txt")) + " | (";
  if (!kUnderAddressSanitizer) command += "ulimit -v 100000; ";
  command += "exec " + quoted(VANTREL_CLI_PATH) + " --json --files-from - --rules " +
             quoted(path("fix.dat")) + ") >" + quoted(path("out.txt")) + " 2>" +
             quoted(path("err.txt"));
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 3);
  const std::string shown = std::string(100, 'x') + "...";
  EXPECT_EQ(slurp(path("err.txt")), shown + ": File name too long\n");
  EXPECT_EQ(slurp(path("out.txt"))
                .rfind("{\"type\":\"result\",\"movie\":\"" + shown +
                           "\",\"result\":\"CannotOpen\",\"fixes\":0,\"dryRun\":"
                           "false,\"error\":\"File name too long\"}\n",
                       0),
            0u);
  EXPECT_EQ(readFile(path("a.qlm")), expectedAfterFix(movie, kRules));

  // A list that never ends, as one endless path: it is read for as long as
  // it lasts (here until timeout stops it, with 124) in the same memory.
  if (kUnderAddressSanitizer) return;
  const std::string endless = "(ulimit -v 100000; exec timeout 2 " + quoted(VANTREL_CLI_PATH) +
                              " --files-from /dev/zero --rules " + quoted(path("fix.dat")) +
                              ") >/dev/null 2>" + quoted(path("err.txt"));
  const int ended = std::system(endless.c_str());
  ASSERT_TRUE(WIFEXITED(ended));
  EXPECT_EQ(WEXITSTATUS(ended), 124) << slurp(path("err.txt"));
}

TEST_F(HostileIoTest, TellsWhyAMovieCouldNotBeOpenedWithoutWaitingOnAPipe) {
  const std::string prefix =
      "Cannot open QELM file. Make sure the file is not already open and is not read only. (";
  ASSERT_EQ(::mkfifo(path("pipe.qlm").c_str(), 0600), 0);
  struct Case {
    std::string path;
    std::string reason;
  };
  const Case cases[] = {{path("gone.qlm"), "No such file or directory"},
                        {path("pipe.qlm"), "not a regular file"},
                        {"/dev/null", "not a regular file"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    // A program that opened the pipe for reading would wait here for ever.
    const RunResult text =
        run("timeout", {"10", VANTREL_CLI_PATH, "--rules", path("fix.dat"), c.path});
    EXPECT_EQ(text.exitCode, 3);
    EXPECT_EQ(text.err, c.path + ": " + prefix + c.reason + ")\n");
    const RunResult json =
        run("timeout", {"10", VANTREL_CLI_PATH, "--json", "--rules", path("fix.dat"), c.path});
    EXPECT_EQ(json.exitCode, 3);
    EXPECT_EQ(json.out.rfind("{\"type\":\"result\",\"movie\":\"" + c.path +
                                 "\",\"result\":\"CannotOpen\",\"fixes\":0,\"dryRun\":false,"
                                 "\"error\":\"" +
                                 c.reason + "\"}\n",
                             0),
              0u)
        << json.out;
  }
}

TEST_F(HostileIoTest, MoviesBeyondTheBudgetOfVisitsAreNotValidAndSaySo) {
  const std::vector<Rule> rules = {{"BMAP", 7, 1, 2}, raiseCountRule(4096)};
  writeText("hostile.dat", fixText(rules));
  const std::string why =
      ": Not a valid QELM file (its chunk index points at more group elements than a file of its "
      "size can hold, as only a damaged or crafted movie does; ";
  struct Case {
    Bytes movie;
    std::string end;
  };
  const Case cases[] = {
      {repeatedGroupMovie(32768, 65536), "nothing was written)"},
      {overlappingGroupsMovie(4096, 65536), "nothing was written)"},
      {countRaisedByAFixMovie(4096, 8),
       "the walk stopped where a count read on the way crossed that limit, after 1 fix, written "
       "and saved)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.end);
    writeFile(path("h.qlm"), c.movie);
    const RunResult text = run({"--rules", path("hostile.dat"), path("h.qlm")});
    EXPECT_EQ(text.exitCode, 3);
    EXPECT_EQ(text.out, "");
    EXPECT_EQ(text.err, path("h.qlm") + why + c.end + "\n");
    EXPECT_EQ(readFile(path("h.qlm")), modelWalk(c.movie, toFixRules(rules)).bytes);
    const RunResult json = run({"--json", "--rules", path("hostile.dat"), path("h.qlm")});
    EXPECT_NE(json.out.find("\"result\":\"NotValid\""), std::string::npos) << json.out;
    EXPECT_NE(json.out.find("\"error\":\"Not a valid QELM file (its chunk index"),
              std::string::npos);
  }
}

TEST_F(HostileIoTest, TextReportsEscapeControlCharactersInPathsAndJsonKeepsThem) {
  const BuiltMovie movie = movieWithFixes(6, 1);
  const std::string name = "two\nlines\x1b.qlm";
  writeFile(path(name), movie.bytes);
  const RunResult text = run({"--list", "--rules", path("fix.dat"), path(name)});
  EXPECT_EQ(text.exitCode, 0);
  const std::string shown = path("two\\nlines\\x1b.qlm");
  EXPECT_EQ(text.out.rfind(shown + ": 0x", 0), 0u) << text.out;
  EXPECT_NE(text.out.find("File: two\\nlines\\x1b.qlm\n"), std::string::npos) << text.out;
  const RunResult missing = run({"--json", "--rules", path("fix.dat"), path("gone\n.qlm")});
  EXPECT_EQ(missing.err.rfind(path("gone\\n.qlm") + ": Cannot open", 0), 0u) << missing.err;
  EXPECT_NE(missing.out.find(path("gone\\u000a.qlm")), std::string::npos) << missing.out;
}

}  // namespace
}  // namespace vantrel
