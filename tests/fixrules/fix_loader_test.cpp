#include "fixrules/fix_loader.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace vantrel {
namespace {

std::string tagOf(const FixRule& rule) { return std::string(rule.tag, 4); }

struct Expected {
  std::string tag;
  std::uint32_t number, oldValue, newValue;
};

void expectRules(const FixLoad& load, const std::vector<Expected>& expected) {
  ASSERT_TRUE(load.opened);
  ASSERT_EQ(load.table.rules().size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE("rule " + std::to_string(i));
    EXPECT_EQ(tagOf(load.table.rules()[i]), expected[i].tag);
    EXPECT_EQ(load.table.rules()[i].number, expected[i].number);
    EXPECT_EQ(load.table.rules()[i].oldValue, expected[i].oldValue);
    EXPECT_EQ(load.table.rules()[i].newValue, expected[i].newValue);
  }
}

TEST(FixLoaderTest, ReadsRecordsInFileOrder) {
  const FixLoad load = parseFixText("-ABCD 7 2 5\n-WAVE 1 100 200\n-ABCD 7 9 9\n");
  expectRules(load, {{"ABCD", 7, 2, 5}, {"WAVE", 1, 100, 200}, {"ABCD", 7, 9, 9}});
  EXPECT_FALSE(load.badLine);
}

TEST(FixLoaderTest, TagIsTakenVerbatim) {
  // Blanks are tag characters; a short tag takes what follows it; the
  // number may follow the tag directly.
  expectRules(parseFixText("- XYZ 3 1 2\n"), {{" XYZ", 3, 1, 2}});
  expectRules(parseFixText("-ABC 7 2 5\n"), {{"ABC ", 7, 2, 5}});
  expectRules(parseFixText("-ABCD7 2 5\n"), {{"ABCD", 7, 2, 5}});
  expectRules(parseFixText("-TDT 1 2 3"), {{"TDT ", 1, 2, 3}});
  expectRules(parseFixText("-abcd 1 2 3\n"), {{"abcd", 1, 2, 3}});
  // A line end inside the four characters is a tag character too.
  expectRules(parseFixText("-AB\nC 1 2 3\n"), {{"AB\nC", 1, 2, 3}});
}

TEST(FixLoaderTest, NumbersAreSigned32BitWordsThatWrap) {
  expectRules(parseFixText("-ABCD -1 -2147483648 +5\n"), {{"ABCD", 0xFFFFFFFFu, 0x80000000u, 5}});
  expectRules(parseFixText("-ABCD 4294967295 4294967296 4294967297\n"),
              {{"ABCD", 0xFFFFFFFFu, 0, 1}});
  // 10^20 mod 2^32, accumulated digit by digit.
  expectRules(parseFixText("-ABCD 100000000000000000000 0 -4294967295\n"),
              {{"ABCD", 1661992960u, 0, 1}});
  expectRules(parseFixText("-ABCD 007 0 00\n"), {{"ABCD", 7, 0, 0}});
}

TEST(FixLoaderTest, WhiteSpaceBetweenFieldsMayBeEmptyOrAnyRun) {
  // "-7" after a number is the next number, as a scanf %d reads it.
  expectRules(parseFixText("-ABCD 7-2+5\n"), {{"ABCD", 7, 0xFFFFFFFEu, 5}});
  // A record may follow the last digit of the one before it.
  expectRules(parseFixText("-ABCD 1 2 3-EFGH 4 5 6"), {{"ABCD", 1, 2, 3}, {"EFGH", 4, 5, 6}});
  // Any of the six white-space characters, in runs, across lines.
  expectRules(parseFixText("-ABCD\t1\v\f2 \r 3\n\n  \t\n-EFGH\n4\n5\n6\n"),
              {{"ABCD", 1, 2, 3}, {"EFGH", 4, 5, 6}});
  // Several records on one line: the table grows past the line count.
  expectRules(parseFixText("-AAAA 1 1 2 -BBBB 2 2 3 -CCCC 3 3 4 -DDDD 4 4 5"),
              {{"AAAA", 1, 1, 2}, {"BBBB", 2, 2, 3}, {"CCCC", 3, 3, 4}, {"DDDD", 4, 4, 5}});
}

TEST(FixLoaderTest, ReadsTheFileAsText) {
  // CR LF is one line end, so it is one tag character.
  expectRules(parseFixText("-ABCD 1 2 3\r\n-AB\r\nC 4 5 6\r\n"),
              {{"ABCD", 1, 2, 3}, {"AB\nC", 4, 5, 6}});
  // The first Ctrl-Z ends the file, even mid-record of garbage after it.
  FixLoad load = parseFixText("-ABCD 1 2 3\n\x1a-EFGH 4 5 6\nrubbish");
  expectRules(load, {{"ABCD", 1, 2, 3}});
  EXPECT_FALSE(load.badLine);
  // ... and cuts a record short when it comes inside one.
  load = parseFixText("-ABCD 1 2 3\n-EFGH 4 5\x1a 6\n");
  expectRules(load, {{"ABCD", 1, 2, 3}});
  EXPECT_EQ(load.badLine, 2);
}

TEST(FixLoaderTest, EmptyFilesGiveAnEmptyTableWithoutWarning) {
  for (const char* text : {"", "\x1a", "\x1a-ABCD 1 2 3\n"}) {
    const FixLoad load = parseFixText(text);
    EXPECT_TRUE(load.opened);
    EXPECT_TRUE(load.table.rules().empty());
    EXPECT_FALSE(load.badLine) << "for " << text;
  }
}

TEST(FixLoaderTest, StopsAtTheFirstMalformedRecordAndNamesItsLine) {
  struct Case {
    const char* text;
    std::size_t rulesKept;
    long badLine;
  };
  const Case cases[] = {
      {"\n-ABCD 1 2 3\n", 0, 1},            // empty first line
      {" -ABCD 1 2 3\n", 0, 1},             // leading blank
      {"\xEF\xBB\xBF-ABCD 1 2 3\n", 0, 1},  // byte-order mark
      {"  \n\t\n", 0, 1},                   // white space only
      {"-ABCD 1 2 3\n-EFGH 1 2 3\n# note\n-IJKL 1 2 3\n", 2, 3},
      {"-ABCD 1 2 3\n\n\n   # note\n", 1, 4},  // blank lines belong to the record before
      {"-ABCD 1 2 3 4\n-EFGH 1 2 3\n", 1, 1},  // text after the third number
      {"-ABCD 1 2 3\n-EFGH 1 2", 1, 2},        // cut short by the end of the file
      {"-ABCD 1 2 3\n-EF", 1, 2},              // tag cut short
      {"-ABCD 1 2 3\n-", 1, 2},
      {"-ABCD + 2 3\n", 0, 1},  // sign without digits
      {"-ABCD --2 2 3\n", 0, 1},
      {"-ABCD 0x10 2 3\n", 0, 1},  // no hexadecimal form
      {"-ABCD 1 2 3\n-AB\nC 1 2 x\n-EFGH 1 2 3\n", 1, 2},
      {"-AB\nC 1 2 3\n-AB\nC 1 2 x\n", 1, 3},  // lines counted inside tags
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const FixLoad load = parseFixText(c.text);
    EXPECT_TRUE(load.opened);
    EXPECT_EQ(load.table.rules().size(), c.rulesKept);
    EXPECT_EQ(load.badLine, c.badLine);
  }
}

TEST(FixLoaderTest, MissingNumberNeverEntersTheTable) {
  // "-ABCD 1 2\n-EFGH 1 2 3": the third number of the first record would be
  // taken from "-EFGH", which is no number, so nothing is kept.
  const FixLoad load = parseFixText("-ABCD 1 2\n-EFGH 1 2 3\n");
  EXPECT_TRUE(load.table.rules().empty());
  EXPECT_EQ(load.badLine, 1);
}

class FixFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("vantrel-fixfile-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string write(const std::string& bytes) {
    const std::string path = (dir_ / "fix.dat").string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  std::filesystem::path dir_;
};

TEST_F(FixFileTest, LoadsFromDiskInTextMode) {
  expectRules(loadFixTable(write("-ABCD 1 2 3\r\n-EFGH 4 5 6")),
              {{"ABCD", 1, 2, 3}, {"EFGH", 4, 5, 6}});
}

TEST_F(FixFileTest, LoadsALargeFileWhole) {
  std::string text;
  for (int i = 0; i < 50000; ++i)
    text += "-R" + std::to_string(i % 10) + "ZZ " + std::to_string(i) + " 1 2\n";
  const FixLoad load = loadFixTable(write(text));
  ASSERT_EQ(load.table.rules().size(), 50000u);
  EXPECT_EQ(load.table.rules()[49999].number, 49999u);
  EXPECT_FALSE(load.badLine);
}

TEST_F(FixFileTest, ReportsFilesThatCannotBeOpened) {
  const FixLoad absent = loadFixTable((dir_ / "absent.dat").string());
  EXPECT_FALSE(absent.opened);
  EXPECT_EQ(absent.openError, ENOENT);
  const FixLoad folder = loadFixTable(dir_.string());
  EXPECT_FALSE(folder.opened);
  EXPECT_EQ(folder.openError, EISDIR);
}

}  // namespace
}  // namespace vantrel
