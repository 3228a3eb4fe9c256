// A journaled repair stopped at every step of its writes, appends and
// syncs, and undone from what the disk would hold after the stop (what was
// synced, and a random part of what was not): the original bytes, every
// time. No fix is reported before its record is on the disk and its word
// written.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "journal/group_commit.h"
#include "journal/journal_undo.h"
#include "movie/le_word.h"
#include "tests/support/crash_disk.h"
#include "tests/support/journal_seam.h"
#include "tests/support/random_movies.h"
#include "tests/support/walk_helpers.h"

namespace vantrel {
namespace {

using namespace moviekit;

// Checks, as each fix is reported, that it is on the disk already.
class CheckingSink final : public ProgressSink {
 public:
  explicit CheckingSink(const CrashDisk& disk) : disk_(disk) {}
  void begin(std::uint32_t) override {}
  void step() override {}
  void referenceFixed(const FixedReference& fix) override {
    ++reported;
    const auto& journal = disk_.durableJournal();
    const std::size_t records =
        journal ? static_cast<std::size_t>(std::count(journal->begin(), journal->end(), '\n')) : 0;
    EXPECT_GE(records, reported) << "a fix reported before its record was synced";
    EXPECT_EQ(readLe32(disk_.movie().data() + fix.valueOffset), fix.newValue)
        << "a fix reported before its word was written";
  }
  std::size_t reported = 0;

 private:
  const CrashDisk& disk_;
};

WalkOutcome repairOn(CrashDisk& disk, const std::vector<Rule>& rules, ProgressSink& sink,
                     std::size_t batchSize) {
  JournalSeam seam([&] { return disk.openJournal(true); });
  return patchInBatches(disk.openMovie(), toTable(rules), sink, seam, {}, batchSize);
}

UndoOutcome undoOn(CrashDisk& disk) {
  UndoListener quiet;
  return undoJournal(*disk.openJournal(false), disk.openMovie(), quiet, false);
}

TEST(JournalCrashTest, ARepairStoppedAtAnyStepIsUndoneToTheOriginalBytes) {
  std::mt19937 random(4711);
  std::uint64_t stops = 0;
  for (int i = 0; i < 90; ++i) {
    const Scenario scenario = randomScenario(random);
    const Bytes original = damagedInTurn(scenario, i, random);
    const std::size_t batchSize = 1 + i % 3;
    CrashDisk whole(original);
    RecordingSink ignored;
    repairOn(whole, scenario.rules, ignored, batchSize);
    for (std::uint64_t stop = 0; stop <= whole.steps(); ++stop) {
      SCOPED_TRACE("scenario " + std::to_string(i) + ", stopped at step " + std::to_string(stop));
      CrashDisk disk(original);
      disk.stopAt(stop);
      // Each word is written only once its record, and the journal's name,
      // are on the disk.
      std::size_t movieWrites = 0;
      disk.beforeMovieWrite = [&](std::uint64_t) {
        const auto& journal = disk.durableJournal();
        ASSERT_TRUE(journal.has_value()) << "a word written before the journal's name was synced";
        EXPECT_GT(static_cast<std::size_t>(std::count(journal->begin(), journal->end(), '\n')),
                  movieWrites++)
            << "a word written before its record was synced";
      };
      CheckingSink sink(disk);
      repairOn(disk, scenario.rules, sink, batchSize);
      CrashDisk restarted = disk.crashImage(random);
      if (!restarted.journal()) {
        // Its name never reached the disk, so no fix was written before.
        ASSERT_EQ(restarted.movie(), original);
        continue;
      }
      const UndoOutcome undone = undoOn(restarted);
      EXPECT_EQ(undone.result, UndoResult::Done);
      ASSERT_EQ(restarted.movie(), original);
      EXPECT_FALSE(restarted.journal());
      ++stops;
    }
  }
  EXPECT_GT(stops, 200u);  // or the stops prove little
}

// Rules for a further repair: each word the last one fixed is changed again.
std::vector<Rule> rulesAfter(const std::vector<FixedReference>& fixes) {
  std::vector<Rule> rules;
  for (const FixedReference& fix : fixes) {
    rules.push_back(
        {std::string(fix.tag, 4), fix.number, fix.newValue, fix.newValue ^ 0x5A5A5A5Au});
  }
  return rules;
}

// Two and three repairs over the same words, then an undo stopped at each
// of its steps (before, during or after its writes, its sync, the journal's
// removal), then undo again: it ends what the first began.
TEST(JournalCrashTest, AnUndoStoppedAtAnyStepAfterRepairsOfTheSameWordsIsFinishedByTheNext) {
  std::mt19937 random(1234);
  std::uint64_t reruns = 0;
  for (int i = 0; i < 60; ++i) {
    const Scenario scenario = randomScenario(random);
    const Bytes original = scenario.movie.bytes;
    CrashDisk repaired(original);
    std::vector<Rule> rules = scenario.rules;
    const int repairs = 2 + i % 2;
    for (int r = 0; r < repairs; ++r) {
      RecordingSink sink;
      ASSERT_EQ(repairOn(repaired, rules, sink, 1 + r).result, WalkResult::Done);
      rules = rulesAfter(sink.fixes);
    }
    if (!repaired.journal()) continue;
    CrashDisk whole(repaired.movie(), repaired.journal());
    ASSERT_EQ(undoOn(whole).result, UndoResult::Done);
    ASSERT_EQ(whole.movie(), original);
    for (std::uint64_t stop = 0; stop <= whole.steps(); ++stop) {
      SCOPED_TRACE("scenario " + std::to_string(i) + ", undo stopped at step " +
                   std::to_string(stop));
      CrashDisk disk(repaired.movie(), repaired.journal());
      disk.stopAt(stop);
      undoOn(disk);
      CrashDisk restarted = disk.crashImage(random);
      if (restarted.journal()) {
        const UndoOutcome again = undoOn(restarted);
        EXPECT_EQ(again.result, UndoResult::Done);
        EXPECT_EQ(again.notUndone, 0u);
        EXPECT_FALSE(restarted.journal());
        ++reruns;
      }
      ASSERT_EQ(restarted.movie(), original);
    }
  }
  EXPECT_GT(reruns, 100u);
}

}  // namespace
}  // namespace vantrel
