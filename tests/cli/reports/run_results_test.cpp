#include "cli/reports/run_results.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "cli/reports/cli_messages.h"

namespace vantrel::cli {
namespace {

const RunResult kEveryResult[] = {
    RunResult::Done,        RunResult::CannotOpen,        RunResult::NotValid,
    RunResult::WriteFailed, RunResult::BackupFailed,      RunResult::JournalFailed,
    RunResult::NoJournal,   RunResult::CannotReadJournal, RunResult::NotAllUndone,
    RunResult::JournalKept,
};

TEST(RunResultsTest, EachResultHasItsOwnRowNameAndExitCode) {
  std::set<std::string> names;
  for (const RunResult result : kEveryResult) {
    const ResultRow& row = resultRow(result);
    EXPECT_EQ(row.result, result) << row.name << " is not in its place";
    EXPECT_TRUE(names.insert(row.name).second) << row.name << " twice";
    const bool done = result == RunResult::Done;
    EXPECT_EQ(row.exitCode, done ? kExitDone : kExitMovieFailed) << row.name;
    EXPECT_EQ(std::string(row.text).empty(), done) << row.name;
  }
}

TEST(RunResultsTest, AWalksEndStandsForTheResultOfTheSameName) {
  EXPECT_EQ(runResultOf(WalkResult::Done), RunResult::Done);
  EXPECT_EQ(runResultOf(WalkResult::CannotOpen), RunResult::CannotOpen);
  EXPECT_EQ(runResultOf(WalkResult::NotValid), RunResult::NotValid);
  EXPECT_EQ(runResultOf(WalkResult::WriteFailed), RunResult::WriteFailed);
  // Only a backup that could not be made refuses a plain repair's first write.
  EXPECT_EQ(runResultOf(WalkResult::WriteRefused), RunResult::BackupFailed);
  EXPECT_STREQ(resultRow(runResultOf(WalkResult::WriteRefused)).name, "BackupFailed");
}

TEST(RunResultsTest, FillsEachPlaceAndPutsValuesInAsTheyAre) {
  EXPECT_EQ(
      resultText(RunResult::JournalKept, {{"journal", "a {reason} b.undo"}, {"reason", "%s"}}),
      "every fix is undone, but the journal a {reason} b.undo cannot be removed: %s");
  // A place given no value stays as it reads, so a missing one shows.
  EXPECT_EQ(resultText(RunResult::NoJournal, {}), "no journal: {journal} not found");
  EXPECT_EQ(resultText(RunResult::Done, {{"walk", "x"}}), "");
}

// Each text function fills every place of its row.
TEST(RunResultsTest, TheTextFunctionsLeaveNoPlaceUnfilled) {
  WalkOutcome overBudget;
  overBudget.result = WalkResult::NotValid;
  overBudget.overBudget = OverBudget::Stopped;
  overBudget.fixCount = 2;
  const std::string texts[] = {
      backupFailedText("m.qlm.bak", "File exists"),
      journalFailedText("m.qlm.undo", "No space left on device", WalkResult::WriteFailed),
      noJournalText("m.qlm.undo"),
      unreadableJournalText("m.qlm.undo", "Permission denied"),
      notAllUndoneText(1, 2, "m.qlm.undo"),
      unremovableJournalText("m.qlm.undo", "Permission denied"),
      cannotOpenText("is a directory"),
      notValidText(WalkOutcome{WalkResult::NotValid}, false),
      notValidText(overBudget, false),
  };
  for (const std::string& text : texts) {
    EXPECT_EQ(text.find('{'), std::string::npos) << text;
    EXPECT_EQ(text.find('}'), std::string::npos) << text;
  }
  EXPECT_EQ(texts[0],
            "Cannot make the backup m.qlm.bak: File exists. Nothing was written to the QELM file.");
  EXPECT_EQ(texts[4], "1 fix undone, 2 records not; the journal m.qlm.undo is kept");
  EXPECT_EQ(texts[6],
            "Cannot open QELM file. Make sure the file is not already open and is not read only. "
            "(is a directory)");
}

}  // namespace
}  // namespace vantrel::cli
