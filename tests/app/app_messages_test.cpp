#include "app/app_messages.h"

#include <gtest/gtest.h>

#include <string>

namespace vantrel::app {
namespace {

TEST(ProgressTitle, IsTheProgramNameThenTheMovieName) {
  EXPECT_EQ(progressTitle("a.qlm"), "Vantrel - a.qlm");
  EXPECT_EQ(progressTitle(""), "Vantrel - ");
  EXPECT_EQ(progressTitle("100%s %d.qlm"), "Vantrel - 100%s %d.qlm");
  const std::string longName(2000, 'x');
  EXPECT_EQ(progressTitle(longName), "Vantrel - " + longName);
}

TEST(MovieFilter, IsOneLabelPatternPairEndedByTwoNuls) {
  const std::string filter = movieFilter();
  EXPECT_EQ(filter, std::string("Qelmos (*.qlm)\0*.qlm\0\0", 22));
}

TEST(WalkResultBox, DoneNamesTheFileAndTheCount) {
  const MessageBoxContent box = walkResultBox(WalkResult::Done, "a.qlm", 12);
  EXPECT_EQ(box.text, "Fix Complete\n\nFile: a.qlm\nNumber of problems found and fixed: 12");
  EXPECT_EQ(box.caption, "Vantrel");
  EXPECT_EQ(box.icon, BoxIcon::Information);
}

TEST(WalkResultBox, DoneWithNoFixesStillReportsZero) {
  EXPECT_EQ(walkResultBox(WalkResult::Done, "b.qlm", 0).text,
            "Fix Complete\n\nFile: b.qlm\nNumber of problems found and fixed: 0");
}

TEST(WalkResultBox, DoneKeepsANameWithFormatCharactersAndAnyLength) {
  const std::string name = "%s%d%n" + std::string(1500, 'q');
  EXPECT_EQ(walkResultBox(WalkResult::Done, name, 4294967296u).text,
            "Fix Complete\n\nFile: " + name + "\nNumber of problems found and fixed: 4294967296");
}

TEST(WalkResultBox, FailuresAreErrorsWithTheirOwnTexts) {
  const MessageBoxContent cannotOpen = walkResultBox(WalkResult::CannotOpen, "a.qlm", 0);
  EXPECT_EQ(cannotOpen.text,
            "Cannot open QELM file. Make sure the file is not already open and is not read only.");
  const MessageBoxContent notValid = walkResultBox(WalkResult::NotValid, "a.qlm", 0);
  EXPECT_EQ(notValid.text, "Not a valid QELM file");
  const MessageBoxContent writeFailed = walkResultBox(WalkResult::WriteFailed, "a.qlm", 3);
  EXPECT_EQ(writeFailed.text,
            "Cannot save all fixes to the QELM file. It may be only partly repaired.");
  for (const MessageBoxContent* box : {&cannotOpen, &notValid, &writeFailed}) {
    EXPECT_EQ(box->caption, "Error");
    EXPECT_EQ(box->icon, BoxIcon::Error);
    EXPECT_EQ(box->text.find("a.qlm"), std::string::npos);
  }
}

// Every row of the table in its place: the last one too, which only a
// refused first write would show.
TEST(WalkResultBox, ARefusedFirstWriteIsAnErrorThatNothingWasWritten) {
  const MessageBoxContent box = walkResultBox(WalkResult::WriteRefused, "a.qlm", 0);
  EXPECT_EQ(box.text, "Nothing was written to the QELM file.");
  EXPECT_EQ(box.caption, "Error");
  EXPECT_EQ(box.icon, BoxIcon::Error);
}

TEST(StartUpBoxes, MissingRulesAndMissingWindowAreErrors) {
  const MessageBoxContent noRules = noRulesBox();
  EXPECT_EQ(noRules.text, "Cannot open fix data file");
  EXPECT_EQ(noRules.caption, "Error");
  EXPECT_EQ(noRules.icon, BoxIcon::Error);
  const MessageBoxContent noWindow = noWindowBox();
  EXPECT_EQ(noWindow.text, "Cannot show the progress window");
  EXPECT_EQ(noWindow.caption, "Error");
  EXPECT_EQ(noWindow.icon, BoxIcon::Error);
}

TEST(StartUpBoxes, ABadRuleLineIsAWarningNamingTheLine) {
  const MessageBoxContent box = badRuleBox(17);
  EXPECT_EQ(box.text, "Bad rule in fix.dat at line 17. The rules from that line on are not used.");
  EXPECT_EQ(box.caption, "Warning");
  EXPECT_EQ(box.icon, BoxIcon::Warning);
}

TEST(WriteFailedBox, HasQuestionMarksAndNoIcon) {
  const MessageBoxContent box = writeFailedBox();
  EXPECT_EQ(box.text, "??");
  EXPECT_EQ(box.caption, "??");
  EXPECT_EQ(box.icon, BoxIcon::None);
}

}  // namespace
}  // namespace vantrel::app
