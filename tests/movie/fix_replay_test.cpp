// A walk that keeps its writes in memory finds the fixes a real walk makes,
// writing nothing; replaying them leaves the movie as the real walk does.
// Both against the plain model, on random movies whole and damaged (where
// references overlap, so that reads see earlier writes).
#include "movie/fix_replay.h"

#include <gtest/gtest.h>

#include <random>

#include "movie/le_word.h"
#include "tests/support/model_walk.h"
#include "tests/support/random_movies.h"
#include "tests/support/walk_helpers.h"

namespace vantrel {
namespace {

using namespace moviekit;

class ListedFixes final : public FixSource {
 public:
  explicit ListedFixes(const std::vector<FixedReference>& fixes) : fixes_(fixes) {}
  bool next(FixedReference& fix) override {
    if (next_ == fixes_.size()) return false;
    fix = fixes_[next_++];
    return true;
  }
  bool failed() const override { return false; }

 private:
  const std::vector<FixedReference>& fixes_;
  std::size_t next_ = 0;
};

TEST(FixReplayTest, KeptWritesFindTheModelsFixesAndTheirReplayItsBytes) {
  std::mt19937 random(2718);
  int held = 0;
  std::uint64_t fixes = 0;
  for (int i = 0; i < 300; ++i) {
    const Scenario scenario = randomScenario(random, i % 10 == 0);
    Bytes bytes = damagedInTurn(scenario, i, random, 3);
    SCOPED_TRACE("scenario " + std::to_string(i));
    const ModelWalk model = modelWalk(bytes, toFixRules(scenario.rules));

    const Bytes before = bytes;
    DeviceLog log;
    MovieStream kept(std::make_unique<MemoryDevice>(bytes, true, &log));
    kept.keepWritesInMemory();
    RecordingSink found;
    const WalkOutcome walked = walkMovie(kept, toTable(scenario.rules), found);
    ASSERT_EQ(bytes, before) << "a walk with its writes kept wrote to the file";
    EXPECT_EQ(log.writes + log.syncs, 0);
    if (!kept.keptWritesHeld()) continue;
    ++held;
    ASSERT_EQ(walked.result, model.result);
    ASSERT_EQ(found.fixes.size(), model.fixes.size());
    for (std::size_t f = 0; f < model.fixes.size(); ++f) {
      EXPECT_EQ(found.fixes[f].valueOffset, model.fixes[f].valueOffset);
      EXPECT_EQ(found.fixes[f].newValue, model.fixes[f].newValue);
    }

    MovieStream file(std::make_unique<MemoryDevice>(bytes));
    ListedFixes source(found.fixes);
    RecordingSink replayed;
    const WalkOutcome outcome = replayFixes(file, source, replayed, nullptr);
    EXPECT_EQ(outcome.result, WalkResult::Done);
    EXPECT_EQ(outcome.fixCount, model.fixCount);
    EXPECT_EQ(replayed.fixes.size(), model.fixes.size());
    ASSERT_EQ(bytes, model.bytes);
    fixes += model.fixCount;
  }
  EXPECT_GT(held, 250);    // the windows lose track only of far-apart rereads
  EXPECT_GT(fixes, 200u);  // or the comparison proves little
}

TEST(FixReplayTest, AWordChangedMeanwhileIsLeftAloneAndARefusalStops) {
  const BuiltMovie movie = MovieBuilder(3)
                               .addActr({2, "ABCD", 7})
                               .addTdt({100, "WAVE", 1})
                               .addActr({2, "ABCD", 7})
                               .build();
  const std::vector<Rule> rules = {{"ABCD", 7, 2, 5}, {"WAVE", 1, 100, 200}};
  Bytes original = movie.bytes;
  RecordingSink dryRun;
  walkBytes(original, rules, dryRun, WalkOptions{true});
  ASSERT_EQ(dryRun.fixes.size(), 3u);

  // Another program set the second word meanwhile.
  Bytes bytes = movie.bytes;
  writeLe32(101, bytes.data() + dryRun.fixes[1].valueOffset);
  const Bytes changed = bytes;
  {
    MovieStream file(std::make_unique<MemoryDevice>(bytes));
    ListedFixes source(dryRun.fixes);
    RecordingSink sink;
    const WalkOutcome outcome = replayFixes(file, source, sink, nullptr);
    EXPECT_EQ(outcome.result, WalkResult::Done);
    EXPECT_EQ(outcome.fixCount, 2u);
    EXPECT_EQ(readLe32(bytes.data() + dryRun.fixes[1].valueOffset), 101u);
    EXPECT_EQ(readLe32(bytes.data() + dryRun.fixes[2].valueOffset), 5u);
  }
  // Refused at the second fix written: the first stays, no more are made.
  bytes = changed;
  int asked = 0;
  MovieStream file(std::make_unique<MemoryDevice>(bytes));
  ListedFixes source(dryRun.fixes);
  RecordingSink sink;
  const WalkOutcome outcome =
      replayFixes(file, source, sink, [&](const FixedReference&) { return ++asked < 2; });
  EXPECT_EQ(outcome.result, WalkResult::WriteFailed);
  EXPECT_EQ(outcome.fixCount, 1u);
  EXPECT_EQ(readLe32(bytes.data() + dryRun.fixes[0].valueOffset), 5u);
  EXPECT_EQ(readLe32(bytes.data() + dryRun.fixes[2].valueOffset), 2u);
}

}  // namespace
}  // namespace vantrel
