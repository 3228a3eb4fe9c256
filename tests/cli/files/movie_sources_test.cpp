#include "cli/files/movie_sources.h"

#include <gtest/gtest.h>

#include <sstream>

#include "cli/files/file_names.h"
#include "cli/files/movie_tree.h"

namespace vantrel::cli {
namespace {

std::vector<std::string> readAll(const std::string& list, char separator) {
  std::istringstream in(list);
  std::vector<std::string> paths;
  std::string path;
  for (ListedPath got; (got = readListedPath(in, separator, path)) != ListedPath::End;) {
    paths.push_back(got == ListedPath::TooLong ? "too long: " + path : path);
  }
  return paths;
}

TEST(MovieSourcesTest, ListsReadAPathAtATime) {
  using Paths = std::vector<std::string>;
  EXPECT_EQ(readAll("a.qlm\nb c.qlm\r\n\n\nlast.qlm", '\n'),
            (Paths{"a.qlm", "b c.qlm", "last.qlm"}));
  // With NUL bytes, line ends and carriage returns are part of the name.
  EXPECT_EQ(readAll(std::string("a\nb.qlm\0c\r\0\0", 12), '\0'), (Paths{"a\nb.qlm", "c\r"}));
  EXPECT_EQ(readAll("", '\n'), Paths{});
  EXPECT_EQ(readAll("\r\n", '\n'), Paths{});
}

TEST(MovieSourcesTest, APathTooLongIsNeverHeldWholeAndTheListGoesOn) {
  using Paths = std::vector<std::string>;
  const std::string longest(kMaxListedPath, 'a');
  const std::string over = std::string(kMaxListedPath, 'b') + "c";
  const std::string start = std::string(kShortenedPathBytes, 'b');
  EXPECT_EQ(readAll(longest + "\r\n" + over + "\r\nnext", '\n'),
            (Paths{longest, "too long: " + start, "next"}));
  // Far longer than any buffer, and at the very end of the list.
  EXPECT_EQ(readAll(std::string(std::size_t{1} << 20, 'b') + '\0' + "x" + '\0' + over, '\0'),
            (Paths{"too long: " + start, "x", "too long: " + start}));
}

TEST(MovieSourcesTest, MovieNamesEndInQlmInAnyCase) {
  for (const char* name : {"a.qlm", "B.QLM", "c.Qlm", ".qlm", "x.y.qLm"}) {
    EXPECT_TRUE(hasMovieName(name)) << name;
  }
  for (const char* name : {"qlm", "a.qlmx", "a_qlm", "a.qlm ", "a.ql", "", "a.q\xcclm"}) {
    EXPECT_FALSE(hasMovieName(name)) << name;
  }
}

}  // namespace
}  // namespace vantrel::cli
