#ifndef VANTREL_TESTS_SUPPORT_CLI_PROGRAM_FIXTURE_H_
#define VANTREL_TESTS_SUPPORT_CLI_PROGRAM_FIXTURE_H_

// Runs the real vantrel executable in a folder of the test's own, and
// catches what it prints.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/movie_builder.h"

namespace vantrel {

struct RunResult {
  int exitCode;
  std::string out;
  std::string err;
};

inline std::string slurp(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// `text` as one word of the shell.
// An offset as the reports spell it: "0x0000018c".
inline std::string hex(std::uint64_t offset) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%08llx", static_cast<unsigned long long>(offset));
  return text;
}

inline std::string quoted(const std::string& text) {
  std::string result = "'";
  for (const char c : text) result += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return result + "'";
}

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The process id keeps apart the same test run from two build folders at once.
    dir_ = std::filesystem::temp_directory_path() /
           ("vantrel-cli-" +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
            std::to_string(getpid()));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    // The program searches for its rules in the user's and the machine's
    // configuration folders: point them into the test's folder, empty.
    setenv("HOME", (dir_ / "home").c_str(), 1);
    setenv("XDG_CONFIG_DIRS", (dir_ / "xdg").c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("VANTREL_RULES");
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string path(const std::string& name) const { return (dir_ / name).string(); }
  void writeText(const std::string& name, const std::string& text) const {
    std::ofstream(path(name), std::ios::binary) << text;
  }
  // A movie's `bytes` at `name`, with the folders on the way made first.
  void putMovie(const std::string& name, const moviekit::Bytes& bytes) const {
    std::filesystem::create_directories(std::filesystem::path(path(name)).parent_path());
    moviekit::writeFile(path(name), bytes);
  }

  // Runs `program` with `args`, its standard input read from the file
  // `input` (nothing when empty).
  RunResult run(const std::string& program, const std::vector<std::string>& args,
                const std::string& input = "/dev/null") const {
    std::string command = quoted(program);
    for (const std::string& arg : args) command += " " + quoted(arg);
    command +=
        " >" + quoted(path("out.txt")) + " 2>" + quoted(path("err.txt")) + " <" + quoted(input);
    const int status = std::system(command.c_str());
    return RunResult{WIFEXITED(status) ? WEXITSTATUS(status) : -1, slurp(path("out.txt")),
                     slurp(path("err.txt"))};
  }
  RunResult run(const std::vector<std::string>& args) const { return run(VANTREL_CLI_PATH, args); }

  std::filesystem::path dir_;
};

}  // namespace vantrel

#endif  // VANTREL_TESTS_SUPPORT_CLI_PROGRAM_FIXTURE_H_
