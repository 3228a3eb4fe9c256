// Undo in the core: tags with every high byte, a dry run over repairs of
// the same word, words changed since or already taken back further, and a
// journal whose lines are cut, damaged or far too long.
#include "journal/journal_undo.h"

#include <gtest/gtest.h>

#include "journal/fix_record.h"
#include "journal/group_commit.h"
#include "journal/reverse_lines.h"
#include "movie/le_word.h"
#include "tests/support/crash_disk.h"
#include "tests/support/journal_seam.h"
#include "tests/support/walk_helpers.h"

namespace vantrel {
namespace {

using namespace moviekit;

class RecordingListener final : public UndoListener {
 public:
  void restored(const FixedReference& fix) override { restoredAt.push_back(fix.valueOffset); }
  void changedSince(const FixedReference& fix, WordWrite found, std::uint32_t held) override {
    changed.push_back({fix.valueOffset, found, held});
  }
  void damagedLine(std::uint64_t lineStart) override { damaged.push_back(lineStart); }

  struct Changed {
    std::uint64_t offset;
    WordWrite found;
    std::uint32_t held;
  };
  std::vector<std::uint64_t> restoredAt;
  std::vector<Changed> changed;
  std::vector<std::uint64_t> damaged;
};

WalkOutcome repairOn(CrashDisk& disk, const std::vector<Rule>& rules) {
  JournalSeam seam([&] { return disk.openJournal(true); });
  RecordingSink sink;
  return patchInBatches(disk.openMovie(), toTable(rules), sink, seam);
}

UndoOutcome undoOn(CrashDisk& disk, UndoListener& listener, bool dryRun = false) {
  return undoJournal(*disk.openJournal(false), disk.openMovie(), listener, dryRun);
}

TEST(JournalUndoTest, TagsWithEveryHighByteAreRepairedAndUndone) {
  MovieBuilder builder(1);
  std::vector<Rule> rules;
  for (int byte = 0x80; byte <= 0xFF; ++byte) {
    const std::string tag =
        std::string("A") + static_cast<char>(byte) + static_cast<char>(0xFF - (byte - 0x80)) + "D";
    builder.addActr({2, tag, static_cast<std::uint32_t>(byte)});
    rules.push_back({tag, static_cast<std::uint32_t>(byte), 2, 5});
  }
  const BuiltMovie movie = builder.build();
  CrashDisk disk(movie.bytes);
  const WalkOutcome repaired = repairOn(disk, rules);
  EXPECT_EQ(repaired.result, WalkResult::Done);
  EXPECT_EQ(repaired.fixCount, 128u);
  EXPECT_EQ(disk.movie(), expectedAfterFix(movie, rules));
  RecordingListener listener;
  const UndoOutcome undone = undoOn(disk, listener);
  EXPECT_EQ(undone.result, UndoResult::Done);
  EXPECT_EQ(undone.undone, 128u);
  EXPECT_TRUE(listener.changed.empty());
  EXPECT_EQ(disk.movie(), movie.bytes);
}

// 2 -> 5, then 5 -> 9, on one word.
struct TwoRepairs {
  BuiltMovie movie = MovieBuilder(1).addActr({2, "ABCD", 7}).build();
  std::uint64_t word = movie.chunkDataOffsets.front() + 28;
  CrashDisk disk{movie.bytes};
  TwoRepairs() {
    repairOn(disk, {{"ABCD", 7, 2, 5}});
    repairOn(disk, {{"ABCD", 7, 5, 9}});
  }
  void set(std::uint32_t value) {
    writeLe32(value, const_cast<Bytes&>(disk.movie()).data() + word);
  }
};

TEST(JournalUndoTest, ADryRunSeesItsOwnWritesAndChangesNothing) {
  TwoRepairs repairs;
  const Bytes before = repairs.disk.movie();
  const std::string journal = *repairs.disk.journal();
  RecordingListener listener;
  const UndoOutcome dry = undoOn(repairs.disk, listener, true);
  EXPECT_EQ(dry.result, UndoResult::Done);
  EXPECT_EQ(dry.undone, 2u);
  EXPECT_EQ(listener.restoredAt, (std::vector<std::uint64_t>{repairs.word, repairs.word}));
  EXPECT_EQ(repairs.disk.movie(), before);
  EXPECT_EQ(repairs.disk.journal(), journal);
}

TEST(JournalUndoTest, AWordAtAnEarlierRecordsOldValueIsUndoneThatFarAndAnyOtherChangedSince) {
  struct Case {
    std::uint32_t held;  // what the word holds when undo begins
    UndoResult result;
    std::uint64_t undone;
    std::size_t changed;
  };
  for (const Case c : {Case{9, UndoResult::Done, 2, 0}, Case{5, UndoResult::Done, 1, 0},
                       Case{2, UndoResult::Done, 0, 0}, Case{7, UndoResult::NotAllUndone, 0, 2}}) {
    SCOPED_TRACE("the word holds " + std::to_string(c.held));
    TwoRepairs repairs;
    repairs.set(c.held);
    RecordingListener listener;
    const UndoOutcome undone = undoOn(repairs.disk, listener);
    EXPECT_EQ(undone.result, c.result);
    EXPECT_EQ(undone.undone, c.undone);
    ASSERT_EQ(listener.changed.size(), c.changed);
    for (const auto& changed : listener.changed) {
      EXPECT_EQ(changed.offset, repairs.word);
      EXPECT_EQ(changed.held, c.held);
    }
    EXPECT_EQ(readLe32(repairs.disk.movie().data() + repairs.word), c.changed ? c.held : 2u);
    EXPECT_EQ(repairs.disk.journal().has_value(), c.changed > 0);
  }
}

TEST(JournalUndoTest, CutDamagedAndOverlongLinesArePassedOverInBoundedReads) {
  TwoRepairs repairs;
  std::string journal = *repairs.disk.journal();
  const std::string::size_type secondRecord = journal.find('\n') + 1;
  const std::string overlong(kLongestFixRecord + 1, 'x');
  journal.insert(secondRecord, overlong + "\nnot a record\n");
  journal += "{\"type\":\"fix\",\"offset\":28,\"tag\":\"AB";  // cut by a stopped run
  CrashDisk disk(repairs.disk.movie(), journal);
  RecordingListener listener;
  const UndoOutcome undone = undoOn(disk, listener);
  EXPECT_EQ(undone.result, UndoResult::NotAllUndone);
  EXPECT_EQ(undone.undone, 2u);
  EXPECT_EQ(undone.notUndone, 2u);
  EXPECT_EQ(listener.damaged,
            (std::vector<std::uint64_t>{secondRecord + overlong.size() + 1, secondRecord}));
  EXPECT_EQ(disk.movie(), repairs.movie.bytes);
  EXPECT_TRUE(disk.journal());

  // Lines read back to front never hold more than the longest record.
  CrashDisk again(repairs.disk.movie(), journal);
  auto device = again.openJournal(false);
  ReverseLines lines(*device, kLongestFixRecord);
  std::string line;
  std::vector<JournalLine> found;
  JournalLine read;
  while ((read = lines.previous(line)) != JournalLine::Start) {
    found.push_back(read);
    EXPECT_LE(line.size(), kLongestFixRecord);
  }
  EXPECT_EQ(found, (std::vector<JournalLine>{JournalLine::Line, JournalLine::Line,
                                             JournalLine::TooLong, JournalLine::Line}));
}

}  // namespace
}  // namespace vantrel
