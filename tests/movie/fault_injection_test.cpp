// The walk over a device that fails once: its k-th read fails or comes
// short, its k-th write fails or is torn, or its sync or close fails, for
// every k in turn until a walk no longer reaches call k. Each time the walk
// must end, leave the size alone, change only value words that a fault-free
// walk changes (and only to what it writes there), act on no byte that a
// read did not deliver, go on writing after a write that failed, and tell
// the caller about every fix it could not save.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "movie/le_word.h"
#include "movie/movie_walk.h"
#include "tests/support/faulty_device.h"
#include "tests/support/model_walk.h"
#include "tests/support/walk_helpers.h"

namespace vantrel {
namespace {

using namespace moviekit;

const std::vector<Rule> kRules = {{"SND ", 1, 2, 5},
                                  {"BMAP", 7, 0xFFFFFFFFu, 640},
                                  {"PAL ", 0xFFFFFFFFu, 16, 256},
                                  {"FONT", 3, 9, 10}};

// A reference the rules fix, and one that already holds its rule's new value.
Reference bad(std::size_t rule) {
  return Reference{kRules[rule].oldValue, kRules[rule].tag, kRules[rule].number};
}
Reference good(std::size_t rule) {
  return Reference{kRules[rule].newValue, kRules[rule].tag, kRules[rule].number};
}

struct FaultMovie {
  BuiltMovie movie;
  std::size_t firstActr = 0;  // chunk indexes
  std::size_t firstTdt = 0;
};

// Every chunk kind and every element kind, references to fix and references
// already right, lookalikes the walk must pass by, and a last index record
// that leads back to the first 'ACTR', whose fix the walk must then find
// already made. With `bulk` sizes, bulk chunks lie between the others.
FaultMovie faultMovie(const std::vector<std::uint32_t>& bulk) {
  MovieBuilder builder(77);
  std::size_t chunks = 0;
  FaultMovie result;
  auto addBulk = [&](std::size_t i) {
    if (bulk.empty()) return;
    builder.addOtherChunk(makeChunkTag("BULK"), bulk[i]);
    ++chunks;
  };
  addBulk(0);
  result.firstActr = chunks++;
  builder.addActr(bad(0));
  builder.addGroupChunk(kTagGgae, {{2, bad(1), {}}, {6, good(2), {}}, {3, {}, {}}, {4, bad(0), 8}});
  ++chunks;
  addBulk(1);
  result.firstTdt = chunks++;
  builder.addTdt(bad(3));
  builder.addGroupChunk(kTagGgfr,
                        {{1, bad(2), {}}, {4, bad(1), {}}, {2, bad(0), 32}, {0, bad(3), 8}});
  ++chunks;
  addBulk(2);
  builder.addGroupChunk(kTagGgst, {{1, good(0), {}}, {4, bad(3), {}}});
  builder.addActr(good(1));
  builder.addOtherChunk(makeChunkTag("SND "), 40);
  builder.addChunkWithTagBytes("GGFR", bad(0));
  chunks += 4;
  addBulk(3);
  builder.addTdt(bad(2));
  builder.addActr(good(3));
  chunks += 2;

  result.movie = builder.build();
  EXPECT_EQ(result.movie.chunkCount, chunks);
  const std::uint64_t lastRecord = result.movie.indexOffset + 20 + 16 * (chunks - 1);
  writeLe32(result.movie.chunkDataOffsets[result.firstActr],
            result.movie.bytes.data() + lastRecord + 8);
  return result;
}

FaultMovie compactMovie() { return faultMovie({}); }

// The same chunks spread over more of the file than the stream holds at
// once, so reads happen all along the walk; the first 'ACTR' value word and
// the first 'TDT ' tag straddle boundaries of 256 KiB.
FaultMovie spreadMovie() {
  std::vector<std::uint32_t> bulk = {1000, 1000, 300000, 300000};
  FaultMovie movie = faultMovie(bulk);
  bulk[0] += 262142 - (movie.movie.chunkDataOffsets[movie.firstActr] + 28);
  movie = faultMovie(bulk);
  bulk[1] += 524278 - (movie.movie.chunkDataOffsets[movie.firstTdt] + 8);
  movie = faultMovie(bulk);
  EXPECT_EQ(movie.movie.chunkDataOffsets[movie.firstActr] + 28, 262142u);
  EXPECT_EQ(movie.movie.chunkDataOffsets[movie.firstTdt] + 8 + 8, 524286u);
  return movie;
}

// The movie as a stream misled by undelivered bytes would see it: every
// reference that has a rule holds that rule's old value.
Bytes poisonOf(const BuiltMovie& movie) {
  Bytes poison = movie.bytes;
  for (const PlacedReference& placed : movie.references) {
    for (const Rule& rule : kRules) {
      if (rule.tag == placed.reference.tag && rule.number == placed.reference.number) {
        writeLe32(rule.oldValue, poison.data() + placed.offset);
        break;
      }
    }
  }
  return poison;
}

// The walk's notifications, in the order they came.
class EventSink : public ProgressSink {
 public:
  struct Event {
    bool failed = false;
    FixedReference fix{};  // for a failed write, only valueOffset is set
  };

  void begin(std::uint32_t chunkCount) override {
    ++begins;
    total = chunkCount;
  }
  void step() override { ++steps; }
  void referenceFixed(const FixedReference& fix) override { events.push_back({false, fix}); }
  void writeFailed(std::uint64_t valueOffset) override {
    FixedReference fix{};
    fix.valueOffset = valueOffset;
    events.push_back({true, fix});
  }

  std::vector<FixedReference> fixed() const { return select(false); }
  std::vector<FixedReference> failed() const { return select(true); }

  int begins = 0;
  std::uint32_t total = 0;
  std::uint64_t steps = 0;
  std::vector<Event> events;

 private:
  std::vector<FixedReference> select(bool failedOnes) const {
    std::vector<FixedReference> chosen;
    for (const Event& event : events) {
      if (event.failed == failedOnes) chosen.push_back(event.fix);
    }
    return chosen;
  }
};

struct Run {
  WalkOutcome outcome;
  EventSink sink;
  Bytes after;
  FaultLog log;
};

Run runWithFault(const Bytes& movie, const Bytes& poison, Fault fault, int failingCall) {
  Run run;
  run.after = movie;
  MovieStream stream(
      std::make_unique<FaultyDevice>(run.after, poison, fault, failingCall, run.log));
  try {
    run.outcome = walkMovie(stream, toTable(kRules), run.sink);
  } catch (const DeviceCallsRanAway&) {
    // run.log.ranAway says so.
  }
  return run;
}

bool sameFix(const FixedReference& fix, const ModelFix& model) {
  return fix.valueOffset == model.valueOffset && std::memcmp(fix.tag, model.tag.data(), 4) == 0 &&
         fix.number == model.number && fix.oldValue == model.oldValue &&
         fix.newValue == model.newValue;
}

// Each fix reported is one the model makes, no model fix standing for two.
bool fixesAreModelFixes(const std::vector<FixedReference>& fixes, const ModelWalk& model) {
  std::vector<bool> used(model.fixes.size(), false);
  for (const FixedReference& fix : fixes) {
    bool found = false;
    for (std::size_t i = 0; i < model.fixes.size() && !found; ++i) {
      if (!used[i] && sameFix(fix, model.fixes[i])) used[i] = found = true;
    }
    if (!found) return false;
  }
  return true;
}

bool isModelFixOffset(std::uint64_t offset, const ModelWalk& model) {
  return std::any_of(model.fixes.begin(), model.fixes.end(),
                     [offset](const ModelFix& fix) { return fix.valueOffset == offset; });
}

bool inModelFixWord(std::uint64_t offset, const ModelWalk& model) {
  return std::any_of(model.fixes.begin(), model.fixes.end(), [offset](const ModelFix& fix) {
    return offset >= fix.valueOffset && offset < fix.valueOffset + 4;
  });
}

Bytes withFixesApplied(Bytes bytes, const std::vector<FixedReference>& fixes) {
  for (const FixedReference& fix : fixes) writeLe32(fix.newValue, bytes.data() + fix.valueOffset);
  return bytes;
}

bool isWriteFault(Fault fault) { return fault == Fault::WriteFails || fault == Fault::WriteTorn; }
bool isSaveFault(Fault fault) { return fault == Fault::SyncFails || fault == Fault::CloseFails; }

bool isFixedAt(const std::vector<FixedReference>& fixes, std::uint64_t offset) {
  return std::any_of(fixes.begin(), fixes.end(),
                     [offset](const FixedReference& fix) { return fix.valueOffset == offset; });
}

// Whether `after` equals `expected` outside the value word of each failed fix.
bool sameOutsideFailedWords(const Bytes& after, const Bytes& expected,
                            const std::vector<FixedReference>& failed) {
  for (std::size_t i = 0; i < after.size(); ++i) {
    const bool inFailedWord =
        std::any_of(failed.begin(), failed.end(), [i](const FixedReference& fix) {
          return i >= fix.valueOffset && i < fix.valueOffset + 4;
        });
    if (!inFailedWord && after[i] != expected[i]) return false;
  }
  return true;
}

void checkRun(const Bytes& before, const ModelWalk& model, Fault fault, const Run& run) {
  ASSERT_FALSE(run.log.ranAway);
  EXPECT_EQ(run.log.writesPastEnd, 0);
  ASSERT_EQ(run.after.size(), before.size());
  for (const std::size_t offset : changedOffsets(before, run.after)) {
    EXPECT_TRUE(inModelFixWord(offset, model) && run.after[offset] == model.bytes[offset])
        << "byte " << offset << " changed to " << int{run.after[offset]};
  }

  const std::vector<FixedReference> fixed = run.sink.fixed();
  const std::vector<FixedReference> failed = run.sink.failed();
  EXPECT_EQ(run.outcome.fixCount, fixed.size());
  EXPECT_TRUE(fixesAreModelFixes(fixed, model)) << "a fix the model does not make was reported";
  for (const FixedReference& fix : failed) {
    EXPECT_TRUE(isModelFixOffset(fix.valueOffset, model))
        << "write attempted at " << fix.valueOffset;
  }
  // One notification per fix: a write that failed at once is not also
  // reported fixed. (The test movie reaches no reference twice in a row.)
  for (std::size_t i = 1; i < run.sink.events.size(); ++i) {
    const EventSink::Event& previous = run.sink.events[i - 1];
    const EventSink::Event& event = run.sink.events[i];
    EXPECT_FALSE(previous.failed != event.failed &&
                 previous.fix.valueOffset == event.fix.valueOffset)
        << "fix at " << event.fix.valueOffset << " reported both fixed and failed";
  }

  const WalkResult result = run.outcome.result;
  if (result == WalkResult::NotValid) {
    EXPECT_EQ(run.after, before);
    EXPECT_EQ(run.sink.begins, 0);
    EXPECT_TRUE(run.sink.events.empty());
  } else {
    EXPECT_EQ(run.sink.begins, 1);
    EXPECT_EQ(run.sink.total, model.chunkTotal);
    EXPECT_EQ(run.sink.steps, model.chunkTotal);
  }
  if (result == WalkResult::Done) {
    EXPECT_TRUE(failed.empty());
    EXPECT_EQ(run.after, withFixesApplied(before, fixed))
        << "a fix reported did not reach the file";
  }

  if (!run.log.injected) {
    EXPECT_EQ(result, WalkResult::Done);
    EXPECT_EQ(run.outcome.fixCount, model.fixCount);
    EXPECT_EQ(run.after, model.bytes);
    return;
  }
  if (isWriteFault(fault)) {
    // Every read worked, so the walk found every fix the model makes. The
    // one write that failed is reported as it failed; every other fix was
    // still written and reported, and the file holds exactly those (a
    // reference met again may have had its fix written then).
    EXPECT_EQ(result, WalkResult::WriteFailed);
    ASSERT_EQ(failed.size(), 1u);
    for (const ModelFix& fix : model.fixes) {
      EXPECT_TRUE(fix.valueOffset == failed[0].valueOffset || isFixedAt(fixed, fix.valueOffset))
          << "the fix at " << fix.valueOffset << " was not made after a failed write";
    }
    EXPECT_TRUE(sameOutsideFailedWords(run.after, withFixesApplied(before, fixed), failed));
  } else if (isSaveFault(fault)) {
    // Every fix was written and reported; only the end failed to save.
    EXPECT_EQ(result, WalkResult::WriteFailed);
    EXPECT_TRUE(failed.empty());
    ASSERT_EQ(fixed.size(), model.fixes.size());
    for (std::size_t i = 0; i < fixed.size(); ++i) {
      EXPECT_TRUE(sameFix(fixed[i], model.fixes[i])) << "fix " << i;
    }
    EXPECT_EQ(run.after, model.bytes);
  } else {
    EXPECT_TRUE(result == WalkResult::Done || result == WalkResult::NotValid ||
                result == WalkResult::WriteFailed)
        << static_cast<int>(result);
    if (result == WalkResult::WriteFailed) {
      EXPECT_FALSE(failed.empty());
    }
  }
}

// Runs the walk with the fault at call 1, 2, ... until a run no longer
// reaches the call; returns how many runs had the fault.
int sweep(const FaultMovie& movie, Fault fault, const char* name) {
  const Bytes& before = movie.movie.bytes;
  const Bytes poison = poisonOf(movie.movie);
  const ModelWalk model = modelWalk(before, toFixRules(kRules));
  for (int call = 1; call < 1000; ++call) {
    SCOPED_TRACE(std::string(name) + ", " + faultName(fault) + " at call " + std::to_string(call));
    const Run run = runWithFault(before, poison, fault, call);
    checkRun(before, model, fault, run);
    if (::testing::Test::HasFatalFailure() || !run.log.injected) return call - 1;
  }
  ADD_FAILURE() << "the walk kept making calls";
  return 0;
}

TEST(FaultInjectionTest, TheTestMoviesAreWorthFaulting) {
  // Without faults: a run of fixes, references already right and
  // lookalikes left alone, and a file larger than the stream holds at once.
  for (const FaultMovie& movie : {compactMovie(), spreadMovie()}) {
    const ModelWalk model = modelWalk(movie.movie.bytes, toFixRules(kRules));
    EXPECT_EQ(model.fixCount, 7u);
    EXPECT_NE(poisonOf(movie.movie), movie.movie.bytes);
  }
  EXPECT_GT(spreadMovie().movie.bytes.size(), 4u * 262144);
}

// The compact movie fits in one window of the stream: it is read in one
// call. The spread one makes the stream load windows along the walk, so its
// read sweeps reach several calls; a sweep that reached only the first
// would prove little. Each of the seven fixes is one write of its own, and
// a run syncs and closes once.
TEST(FaultInjectionTest, ReadsThatFail) {
  EXPECT_GE(sweep(compactMovie(), Fault::ReadFails, "compact"), 1);
  EXPECT_GE(sweep(spreadMovie(), Fault::ReadFails, "spread"), 4);
}

TEST(FaultInjectionTest, ReadsThatComeShort) {
  EXPECT_GE(sweep(compactMovie(), Fault::ReadComesShort, "compact"), 1);
  EXPECT_GE(sweep(spreadMovie(), Fault::ReadComesShort, "spread"), 4);
}

TEST(FaultInjectionTest, WritesThatFail) {
  EXPECT_EQ(sweep(compactMovie(), Fault::WriteFails, "compact"), 7);
  EXPECT_EQ(sweep(spreadMovie(), Fault::WriteFails, "spread"), 7);
}

TEST(FaultInjectionTest, WritesTornHalfway) {
  EXPECT_EQ(sweep(compactMovie(), Fault::WriteTorn, "compact"), 7);
  EXPECT_EQ(sweep(spreadMovie(), Fault::WriteTorn, "spread"), 7);
}

TEST(FaultInjectionTest, SyncThatFails) {
  EXPECT_EQ(sweep(compactMovie(), Fault::SyncFails, "compact"), 1);
  EXPECT_EQ(sweep(spreadMovie(), Fault::SyncFails, "spread"), 1);
}

TEST(FaultInjectionTest, CloseThatFails) {
  EXPECT_EQ(sweep(compactMovie(), Fault::CloseFails, "compact"), 1);
  EXPECT_EQ(sweep(spreadMovie(), Fault::CloseFails, "spread"), 1);
}

TEST(FaultInjectionTest, CloseThatFailsAfterNoWriteStillSaysSo) {
  // Nothing to fix, so nothing is written or synced; a close that reports a
  // failure is still not taken for success.
  const FaultMovie movie = compactMovie();
  Bytes bytes = movie.movie.bytes;
  FaultLog log;
  MovieStream stream(std::make_unique<FaultyDevice>(bytes, bytes, Fault::CloseFails, 1, log));
  RecordingSink sink;
  const WalkOutcome outcome = walkMovie(stream, FixTable(), sink);
  EXPECT_TRUE(log.injected);
  EXPECT_EQ(log.writes, 0);
  EXPECT_EQ(log.syncs, 0);
  EXPECT_EQ(outcome.result, WalkResult::WriteFailed);
  EXPECT_EQ(bytes, movie.movie.bytes);
}

}  // namespace
}  // namespace vantrel
