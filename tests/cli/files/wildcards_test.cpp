#include "cli/files/wildcards.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace vantrel::cli {
namespace {

namespace fs = std::filesystem;

TEST(WildcardsTest, MatchesAsWindowsMatchesNames) {
  struct Case {
    const char* pattern;
    const char* name;
    bool matches;
  };
  const Case cases[] = {
      {"*.qlm", "a.qlm", true},       {"*.qlm", "A.QLM", true},
      {"*.qlm", "a.qlmx", false},     {"*.qlm", ".qlm", true},
      {"a?.qlm", "ab.qlm", true},     {"a?.qlm", "a.qlm", false},
      {"a?.qlm", "aΩ.qlm", true},     {"?", "ム", true},
      {"*a*b*", "xxaxxbxx", true},    {"*a*b", "ab_ba", false},
      {"*ab", "aab", true},           {"**", "", true},
      {"*", "anything at all", true}, {"film[1].qlm", "film[1].qlm", true},
      {"abc", "abcd", false},         {"abcd", "abc", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(wildcardMatches(c.pattern, c.name), c.matches) << c.pattern << " " << c.name;
  }
}

TEST(WildcardsTest, ExpandsTheLastComponentInSortedOrderAndKeepsWhatMatchesNothing) {
  const fs::path dir =
      fs::temp_directory_path() / ("vantrel-wildcards-" + std::to_string(getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir / "sub");
  for (const char* name : {"b.qlm", "A.QLM", "a.qlmx", "c.qlm", "notes.txt"}) {
    std::ofstream(dir / name) << "x";
  }
  const std::string folder = dir.string() + "/";
  EXPECT_EQ(expandWildcards({"first", folder + "*.qlm", folder + "?ub", folder + "*.none",
                             folder + "s*/x", "--"}),
            (std::vector<std::string>{"first", folder + "A.QLM", folder + "b.qlm", folder + "c.qlm",
                                      folder + "sub", folder + "*.none", folder + "s*/x", "--"}));
  const fs::path before = fs::current_path();
  fs::current_path(dir);
  EXPECT_EQ(expandWildcards({"*.txt"}), std::vector<std::string>{"notes.txt"});
  fs::current_path(before);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace vantrel::cli
