#include "cli/reports/run_results.h"

#include <gtest/gtest.h>

#include <iterator>
#include <set>
#include <string>

#include "cli/reports/cli_messages.h"

namespace vantrel::cli {
namespace {

const RunResult kEveryResult[] = {
    RunResult::Done,        RunResult::CannotOpen,        RunResult::NotValid,
    RunResult::WriteFailed, RunResult::BackupFailed,      RunResult::JournalFailed,
    RunResult::NoJournal,   RunResult::CannotReadJournal, RunResult::NotAllUndone,
    RunResult::JournalKept, RunResult::JournalInUse,      RunResult::OutOfMemory,
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

TEST(RunResultsTest, AnUndosEndStandsForTheResultOfTheSameName) {
  const UndoResult every[] = {
      UndoResult::Done,         UndoResult::NoJournal,   UndoResult::CannotReadJournal,
      UndoResult::JournalInUse, UndoResult::CannotOpen,  UndoResult::WriteFailed,
      UndoResult::NotAllUndone, UndoResult::JournalKept, UndoResult::OutOfMemory,
  };
  const char* names[] = {"Done",         "NoJournal",   "CannotReadJournal",
                         "JournalInUse", "CannotOpen",  "WriteFailed",
                         "NotAllUndone", "JournalKept", "OutOfMemory"};
  for (std::size_t i = 0; i < std::size(every); ++i) {
    EXPECT_STREQ(resultRow(runResultOf(every[i])).name, names[i]);
  }
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
      journalInUseText("m.qlm.undo"),
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
  EXPECT_EQ(texts[6], "the journal m.qlm.undo is in use by another run");
  EXPECT_EQ(texts[7],
            "Cannot open QELM file. Make sure the file is not already open and is not read only. "
            "(is a directory)");
}

}  // namespace
}  // namespace vantrel::cli
