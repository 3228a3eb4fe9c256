// The repair in batches against the plain model of the walk, whatever the
// size of a batch: on random movies whole and damaged (where references
// overlap, so that the walk reads words it fixed, pending or written), on a
// movie whose fix is read again after its part of the file left memory, and
// with batches refused or words changed meanwhile.
#include "journal/group_commit.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "journal/word_overlay.h"
#include "movie/le_word.h"
#include "tests/support/crash_disk.h"
#include "tests/support/journal_seam.h"
#include "tests/support/model_walk.h"
#include "tests/support/random_movies.h"
#include "tests/support/sample_movies.h"
#include "tests/support/walk_helpers.h"

namespace vantrel {
namespace {

using namespace moviekit;

bool sameFix(const FixedReference& fix, const ModelFix& model) {
  return fix.valueOffset == model.valueOffset && std::memcmp(fix.tag, model.tag.data(), 4) == 0 &&
         fix.number == model.number && fix.oldValue == model.oldValue &&
         fix.newValue == model.newValue;
}

// Walks `bytes` in batches of `batchSize` behind a journal on `disk`.
WalkOutcome batchedRepair(CrashDisk& disk, const std::vector<Rule>& rules, std::size_t batchSize,
                          RecordingSink& sink, JournalSeam& seam) {
  return patchInBatches(disk.openMovie(), toTable(rules), sink, seam, {}, batchSize);
}

TEST(GroupCommitTest, LeavesWhatThePlainWalkLeavesWhateverTheBatchSize) {
  std::mt19937 random(2718);
  std::uint64_t fixes = 0;
  for (int i = 0; i < 240; ++i) {
    const Scenario scenario = randomScenario(random, i % 10 == 0);
    const Bytes bytes = damagedInTurn(scenario, i, random, 3);
    const ModelWalk model = modelWalk(bytes, toFixRules(scenario.rules));
    for (const std::size_t batchSize :
         {std::size_t{1}, std::size_t{2}, std::size_t{5}, kFixesPerBatch}) {
      SCOPED_TRACE("scenario " + std::to_string(i) + ", batches of " + std::to_string(batchSize));
      CrashDisk disk(bytes);
      JournalSeam seam([&] { return disk.openJournal(true); });
      RecordingSink sink;
      const WalkOutcome outcome = batchedRepair(disk, scenario.rules, batchSize, sink, seam);
      ASSERT_EQ(outcome.result, model.result);
      ASSERT_EQ(disk.movie(), model.bytes);
      EXPECT_EQ(outcome.fixCount, model.fixCount);
      ASSERT_EQ(sink.fixes.size(), model.fixes.size());
      std::size_t journaled = 0;
      for (const auto& batch : seam.batches) {
        EXPECT_LE(batch.size(), batchSize);
        journaled += batch.size();
      }
      EXPECT_EQ(journaled, model.fixes.size());
      for (std::size_t f = 0; f < model.fixes.size(); ++f) {
        EXPECT_TRUE(sameFix(sink.fixes[f], model.fixes[f])) << "fix " << f;
      }
      // Every step of the walk, as the plain walk makes them.
      EXPECT_EQ(sink.steps, model.steps);
    }
    fixes += model.fixCount;
  }
  EXPECT_GT(fixes, 150u);  // or the comparison proves little
}

// A movie whose last chunk's reference lies 8 bytes before the first's, so
// that the first's value word is the last's tag, with enough chunks between
// them that the walk's stream no longer holds the first fix when it reads
// that tag: it must read it back from the pending batch, or from the file
// once the batch is written.
TEST(GroupCommitTest, AFixReadAgainFarApartIsSeenPendingOrWritten) {
  MovieBuilder builder(21);
  builder.addActr({2, "ABCD", 7});
  for (int i = 0; i < 5; ++i) {
    builder.addOtherChunk(makeChunkTag("SND "), 300000).addActr({9, "NONE", 1});
  }
  const BuiltMovie built = builder.addActr({0, "LAST", 0}).build();
  Bytes bytes = built.bytes;
  const std::uint32_t first = built.chunkDataOffsets.front();
  for (std::size_t at = built.indexOffset; at + 12 <= bytes.size(); ++at) {
    if (readLe32(bytes.data() + at) == kTagActr &&
        readLe32(bytes.data() + at + 8) == built.chunkDataOffsets.back()) {
      writeLe32(first - 8, bytes.data() + at + 8);
    }
  }
  const std::uint32_t lastValue = readLe32(bytes.data() + first + 20);
  const std::uint32_t lastNumber = readLe32(bytes.data() + first + 32);
  const std::vector<Rule> rules = {{"ABCD", 7, 2, 0x44434241u},
                                   {"ABCD", lastNumber, lastValue, 77}};
  const ModelWalk model = modelWalk(bytes, toFixRules(rules));
  ASSERT_EQ(model.fixCount, 2u);
  for (const std::size_t batchSize : {std::size_t{1}, kFixesPerBatch}) {
    CrashDisk disk(bytes);
    JournalSeam seam([&] { return disk.openJournal(true); });
    RecordingSink sink;
    const WalkOutcome outcome = batchedRepair(disk, rules, batchSize, sink, seam);
    EXPECT_EQ(outcome.result, WalkResult::Done);
    EXPECT_EQ(outcome.fixCount, 2u);
    EXPECT_EQ(disk.movie(), model.bytes) << "batches of " << batchSize;
    EXPECT_EQ(seam.batches.size(), batchSize == 1 ? 2u : 1u);
  }
}

TEST(GroupCommitTest, AWordChangedMeanwhileIsLeftAloneAndARefusedBatchStopsTheRepair) {
  const BuiltMovie movie = MovieBuilder(3)
                               .addActr({2, "ABCD", 7})
                               .addTdt({100, "WAVE", 1})
                               .addActr({2, "ABCD", 7})
                               .build();
  const std::vector<Rule> rules = {{"ABCD", 7, 2, 5}, {"WAVE", 1, 100, 200}};
  RecordingSink dryRun;
  Bytes original = movie.bytes;
  walkBytes(original, rules, dryRun, WalkOptions{true});
  ASSERT_EQ(dryRun.fixes.size(), 3u);
  const std::uint64_t second = dryRun.fixes[1].valueOffset;
  {
    // Another program sets the second word after the walk saw it.
    CrashDisk disk(movie.bytes);
    JournalSeam seam([&] { return disk.openJournal(true); });
    seam.meanwhile = [&] {
      Bytes& bytes = const_cast<Bytes&>(disk.movie());
      writeLe32(101, bytes.data() + second);
    };
    RecordingSink sink;
    const WalkOutcome outcome = batchedRepair(disk, rules, kFixesPerBatch, sink, seam);
    EXPECT_EQ(outcome.result, WalkResult::Done);
    EXPECT_EQ(outcome.fixCount, 2u);
    EXPECT_EQ(sink.fixes.size(), 2u);
    EXPECT_EQ(readLe32(disk.movie().data() + second), 101u);
    EXPECT_EQ(readLe32(disk.movie().data() + dryRun.fixes[2].valueOffset), 5u);
  }
  struct Case {
    std::uint64_t stopAt;  // the step at which the disk fails
    WalkResult result;
    std::uint64_t fixes;
  };
  // Batches of one, each an append, a sync (the first also the name's
  // sync) and the movie's write; then the movie's sync: steps 0, 1, 2, 3;
  // 4, 5, 6; 7, 8, 9; 10.
  for (const Case c : {Case{0, WalkResult::WriteRefused, 0}, Case{1, WalkResult::WriteRefused, 0},
                       Case{2, WalkResult::WriteRefused, 0}, Case{3, WalkResult::WriteFailed, 0},
                       Case{4, WalkResult::WriteFailed, 1}, Case{8, WalkResult::WriteFailed, 2},
                       Case{10, WalkResult::WriteFailed, 3}, Case{11, WalkResult::Done, 3}}) {
    SCOPED_TRACE("the disk fails at step " + std::to_string(c.stopAt));
    CrashDisk disk(movie.bytes);
    disk.stopAt(c.stopAt);
    JournalSeam seam([&] { return disk.openJournal(true); });
    RecordingSink sink;
    const WalkOutcome outcome = batchedRepair(disk, rules, 1, sink, seam);
    EXPECT_EQ(outcome.result, c.result);
    EXPECT_EQ(outcome.fixCount, c.fixes);
    EXPECT_EQ(sink.fixes.size(), c.fixes);
    EXPECT_EQ(seam.batches.size(), std::min<std::uint64_t>(c.stopAt / 3, 3));
    for (std::size_t f = 0; f < 3; ++f) {
      EXPECT_EQ(readLe32(disk.movie().data() + dryRun.fixes[f].valueOffset),
                f < c.fixes ? dryRun.fixes[f].newValue : dryRun.fixes[f].oldValue);
    }
  }
}

TEST(WordOverlayTest, LaterWordsWinWhereWordsOverlapAndMergingKeepsThemSo) {
  for (const int spread : {0, 1000}) {
    SCOPED_TRACE(spread ? "merged among many" : "few");
    WordOverlay overlay;
    Bytes expected(16, 0);
    const auto keep = [&](std::uint64_t at, unsigned char byte) {
      const unsigned char word[4] = {byte, byte, byte, byte};
      overlay.keep(at, word);
      std::fill_n(expected.begin() + static_cast<std::ptrdiff_t>(at), 4, byte);
    };
    keep(0, 'A');
    keep(2, 'B');
    for (int i = 0; i < spread; ++i) {
      const unsigned char word[4] = {9, 9, 9, 9};
      overlay.keep(100 + 4 * static_cast<std::uint64_t>(i), word);
    }
    keep(0, 'C');
    keep(5, 'D');
    keep(3, 'E');
    for (std::uint64_t from = 0; from < 12; ++from) {
      Bytes read(12 - from, 0);
      overlay.lay(from, read.data(), read.size());
      EXPECT_EQ(read,
                Bytes(expected.begin() + static_cast<std::ptrdiff_t>(from), expected.begin() + 12))
          << "from " << from;
    }
  }
}

}  // namespace
}  // namespace vantrel
