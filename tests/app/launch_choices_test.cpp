#include "app/launch_choices.h"

#include <gtest/gtest.h>

#include <string>

namespace vantrel::app {
namespace {

TEST(ProgramDirectory, KeepsEverythingUpToAndWithTheLastBackslash) {
  EXPECT_EQ(programDirectory("C:\\Program Files\\Vantrel\\Vantrel.exe"), "C:\\Program Files\\Vantrel\\");
  EXPECT_EQ(programDirectory("C:\\Vantrel.exe"), "C:\\");
  EXPECT_EQ(programDirectory("\\\\server\\share\\tools\\Vantrel.exe"), "\\\\server\\share\\tools\\");
}

TEST(ProgramDirectory, SlashIsNoSeparatorAndNoBackslashGivesNothing) {
  EXPECT_EQ(programDirectory("C:\\a/b\\c/Vantrel.exe"), "C:\\a/b\\");
  EXPECT_EQ(programDirectory("Vantrel.exe"), "");
  EXPECT_EQ(programDirectory(""), "");
}

TEST(RuleFilePath, PutsFixDatDirectlyAfterTheDirectory) {
  EXPECT_EQ(ruleFilePath("C:\\Program Files\\Vantrel\\"), "C:\\Program Files\\Vantrel\\fix.dat");
  EXPECT_EQ(ruleFilePath(""), "fix.dat");
  EXPECT_EQ(ruleFilePath(programDirectory("D:\\x\\Vantrel.exe")), "D:\\x\\fix.dat");
}

TEST(MovieFromCommandLine, TakesTheQuotedPathAndIgnoresWhatFollows) {
  EXPECT_EQ(movieFromCommandLine("\"C:\\dir\\film.qlm\" /x"), "C:\\dir\\film.qlm");
  EXPECT_EQ(movieFromCommandLine("\"C:\\dir\\film.qlm\"\"D:\\other.qlm\""), "C:\\dir\\film.qlm");
  EXPECT_EQ(movieFromCommandLine("\"C:\\my films\\a b.qlm\""), "C:\\my films\\a b.qlm");
}

TEST(MovieFromCommandLine, WithoutAClosingQuoteTakesTheRestOfTheLine) {
  EXPECT_EQ(movieFromCommandLine("\"C:\\dir\\film.qlm /x"), "C:\\dir\\film.qlm /x");
  EXPECT_EQ(movieFromCommandLine("\""), "");
}

TEST(MovieFromCommandLine, TwoQuotesGiveAnEmptyPathNotADialog) {
  const auto path = movieFromCommandLine("\"\"");
  ASSERT_TRUE(path.has_value());
  EXPECT_EQ(*path, "");
}

TEST(MovieFromCommandLine, ALineNotBeginningWithAQuoteAsksTheUser) {
  EXPECT_FALSE(movieFromCommandLine("").has_value());
  EXPECT_FALSE(movieFromCommandLine("C:\\dir\\film.qlm").has_value());
  EXPECT_FALSE(movieFromCommandLine(" \"C:\\dir\\film.qlm\"").has_value());
  EXPECT_FALSE(movieFromCommandLine("/x \"C:\\dir\\film.qlm\"").has_value());
}

TEST(MovieFromCommandLine, KeepsAPathLongerThanTheWindowsLimitWhole) {
  const std::string longPath = "C:\\" + std::string(300, 'd') + "\\" + std::string(700, 'n') + ".qlm";
  EXPECT_EQ(movieFromCommandLine("\"" + longPath + "\" tail"), longPath);
}

TEST(DisplayName, IsThePartAfterTheLastBackslash) {
  EXPECT_EQ(displayNameOf("C:\\dir\\film.qlm"), "film.qlm");
  EXPECT_EQ(displayNameOf("C:\\a.b\\c\\film"), "film");
  EXPECT_EQ(displayNameOf("C:\\dir\\"), "");
}

TEST(DisplayName, IsTheWholePathWithoutABackslash) {
  EXPECT_EQ(displayNameOf("film.qlm"), "film.qlm");
  EXPECT_EQ(displayNameOf("C:film.qlm"), "C:film.qlm");
  EXPECT_EQ(displayNameOf("films/film.qlm"), "films/film.qlm");
  EXPECT_EQ(displayNameOf(""), "");
}

TEST(DisplayName, KeepsALongNameWhole) {
  const std::string name(1000, 'n');
  EXPECT_EQ(displayNameOf("C:\\dir\\" + name), name);
}

}  // namespace
}  // namespace vantrel::app
