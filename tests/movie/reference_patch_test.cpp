#include "movie/reference_patch.h"

#include <gtest/gtest.h>

#include "tests/support/walk_helpers.h"

namespace vantrel {
namespace {

using namespace moviekit;

// A hand-laid reference at offset 8 of a 32-byte file: value 2, four spare
// bytes, tag 'ABCD' in file order, number 7.
Bytes handLaidReference() {
  Bytes bytes(32, 0xEE);
  const unsigned char reference[] = {0x02, 0, 0, 0,  0x11, 0x22, 0x33, 0x44,
                                     'A', 'B', 'C', 'D', 0x07, 0, 0, 0};
  std::copy(std::begin(reference), std::end(reference), bytes.begin() + 8);
  return bytes;
}

struct PatchRun {
  std::uint64_t fixCount;
  RecordingSink sink;
  int deviceWrites;
};

PatchRun runPatchReference(Bytes& bytes, const std::vector<Rule>& rules, std::uint64_t at,
                           bool dryRun = false) {
  DeviceLog log;
  MovieStream file(std::make_unique<MemoryDevice>(bytes, true, &log));
  const FixTable table = toTable(rules);
  PatchRun run{0, {}, 0};
  PatchContext context{file, table, run.sink, dryRun};
  patchReference(context, at);
  EXPECT_TRUE(file.close());
  run.fixCount = context.fixCount;
  run.deviceWrites = log.writes;
  return run;
}

TEST(PatchReferenceTest, WritesTheNewValueOverTheValueWordOnly) {
  Bytes bytes = handLaidReference();
  Bytes expected = bytes;
  expected[8] = 0x05;  // new value 5 = {05 00 00 00}
  const PatchRun run = runPatchReference(bytes, {{"ABCD", 7, 2, 5}}, 8);
  EXPECT_EQ(run.fixCount, 1u);
  EXPECT_EQ(bytes, expected);
  ASSERT_EQ(run.sink.fixes.size(), 1u);
  const FixedReference& fix = run.sink.fixes[0];
  EXPECT_EQ(fix.valueOffset, 8u);
  EXPECT_EQ(std::string(fix.tag, 4), "ABCD");
  EXPECT_EQ(fix.number, 7u);
  EXPECT_EQ(fix.oldValue, 2u);
  EXPECT_EQ(fix.newValue, 5u);
}

TEST(PatchReferenceTest, NegativeValuesAreWrittenAsTheirWordPattern) {
  Bytes bytes = handLaidReference();
  runPatchReference(bytes, {{"ABCD", 7, 2, 0xFFFFFFFEu}}, 8);
  EXPECT_EQ(bytes[8], 0xFE);
  EXPECT_EQ(bytes[11], 0xFF);
}

TEST(PatchReferenceTest, LeavesTheFileUnwrittenWhenNothingMatches) {
  const std::vector<std::vector<Rule>> nonMatching = {
      {},
      {{"ABCE", 7, 2, 5}},  // tag differs
      {{"abcd", 7, 2, 5}},  // case differs
      {{"ABCD", 8, 2, 5}},  // number differs
      {{"ABCD", 7, 3, 5}},  // old value differs
      {{"ABCD", 7, 3, 9}, {"ABCD", 7, 2, 5}},  // first rule's old value differs
  };
  for (const auto& rules : nonMatching) {
    Bytes bytes = handLaidReference();
    const Bytes original = bytes;
    const PatchRun run = runPatchReference(bytes, rules, 8);
    EXPECT_EQ(run.fixCount, 0u);
    EXPECT_EQ(run.deviceWrites, 0);
    EXPECT_EQ(bytes, original);
    EXPECT_TRUE(run.sink.fixes.empty());
  }
}

TEST(PatchReferenceTest, SameOldAndNewValueRewritesAndCountsEveryTime) {
  Bytes bytes = handLaidReference();
  const Bytes original = bytes;
  for (int run = 0; run < 2; ++run) {
    const PatchRun result = runPatchReference(bytes, {{"ABCD", 7, 2, 2}}, 8);
    EXPECT_EQ(result.fixCount, 1u);
    EXPECT_EQ(result.deviceWrites, 1);
  }
  EXPECT_EQ(bytes, original);
}

TEST(PatchReferenceTest, DryRunCountsWithoutWriting) {
  Bytes bytes = handLaidReference();
  const Bytes original = bytes;
  const PatchRun run = runPatchReference(bytes, {{"ABCD", 7, 2, 5}}, 8, /*dryRun=*/true);
  EXPECT_EQ(run.fixCount, 1u);
  EXPECT_EQ(run.sink.fixes.size(), 1u);
  EXPECT_EQ(run.deviceWrites, 0);
  EXPECT_EQ(bytes, original);
}

TEST(PatchReferenceTest, AReferenceCutByTheEndOfTheFileIsLeftAlone) {
  for (std::size_t size = 0; size < 24; ++size) {
    Bytes bytes = handLaidReference();
    bytes.resize(size);
    const Bytes original = bytes;
    const PatchRun run = runPatchReference(bytes, {{"ABCD", 7, 2, 5}}, 8);
    EXPECT_EQ(run.fixCount, 0u) << "size " << size;
    EXPECT_EQ(bytes, original);
  }
  // A reference far beyond the end, as a damaged offset gives.
  Bytes bytes = handLaidReference();
  EXPECT_EQ(runPatchReference(bytes, {{"ABCD", 7, 2, 5}}, 0xFFFFFFF0ull).fixCount, 0u);
}

TEST(SingleReferenceChunkTest, ActrAndTdtHoldTheirReferenceAtTheirOwnPlace) {
  const BuiltMovie movie = MovieBuilder(7)
                               .addActr({2, "ABCD", 7})
                               .addTdt({2, "ABCD", 7})
                               .addActr({3, "WAVE", 1})
                               .build();
  const std::vector<Rule> rules = {{"ABCD", 7, 2, 5}, {"WAVE", 1, 3, 0xFFFFFFFFu}};
  std::uint64_t expectedCount = 0;
  const Bytes expected = expectedAfterFix(movie, rules, &expectedCount);
  Bytes bytes = movie.bytes;
  const WalkOutcome outcome = walkBytes(bytes, rules);
  EXPECT_EQ(outcome.result, WalkResult::Done);
  EXPECT_EQ(outcome.fixCount, 3u);
  EXPECT_EQ(expectedCount, 3u);
  EXPECT_EQ(bytes, expected);
  // The builder's offsets are checked against the layout itself.
  EXPECT_EQ(movie.references[0].offset, movie.chunkDataOffsets[0] + 28u);
  EXPECT_EQ(movie.references[1].offset, movie.chunkDataOffsets[1] + 8u);
}

TEST(SingleReferenceChunkTest, ASecondRunOverARepairedFileFixesNothing) {
  const BuiltMovie movie = MovieBuilder(8).addActr({2, "ABCD", 7}).addTdt({5, "ABCD", 7}).build();
  Bytes bytes = movie.bytes;
  EXPECT_EQ(walkBytes(bytes, {{"ABCD", 7, 2, 5}}).fixCount, 1u);
  const Bytes repaired = bytes;
  EXPECT_EQ(walkBytes(bytes, {{"ABCD", 7, 2, 5}}).fixCount, 0u);
  EXPECT_EQ(bytes, repaired);
}

}  // namespace
}  // namespace vantrel
