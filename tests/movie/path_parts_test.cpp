#include "movie/path_parts.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

struct PathCase {
  const char* path;
  const char* separators;
  std::size_t start;
  const char* lastPart;
};

TEST(PathPartsTest, TheLastPartStartsAfterTheLastSeparatorGiven) {
  const PathCase cases[] = {
      {"C:\\films\\a.qlm", "\\", 9, "a.qlm"},
      {"films/a.qlm", "\\", 0, "films/a.qlm"},  // Vantrel.exe's names: backslashes only
      {"films/a.qlm", "/\\", 6, "a.qlm"},
      {"a\\b/c.qlm", "/\\", 4, "c.qlm"},
      {"a/b\\c.qlm", "/", 2, "b\\c.qlm"},
      {"C:a*.qlm", "/\\:", 2, "a*.qlm"},
      {"/a.qlm", "/", 1, "a.qlm"},
      {"dir/", "/", 4, ""},
      {"a.qlm", "/\\", 0, "a.qlm"},
      {"", "/", 0, ""},
  };
  for (const PathCase& c : cases) {
    EXPECT_EQ(lastPartStart(c.path, c.separators), c.start) << c.path << " by " << c.separators;
    EXPECT_EQ(lastPartOf(c.path, c.separators), c.lastPart) << c.path << " by " << c.separators;
  }
}

}  // namespace
}  // namespace vantrel
