#include "movie/group_patch.h"

#include <gtest/gtest.h>

#include "tests/support/walk_helpers.h"

namespace vantrel {
namespace {

using namespace moviekit;

TEST(GroupReferenceOffsetTest, KindsThatCarryAReference) {
  EXPECT_EQ(groupReferenceOffset(kTagGgae, 2), 32u);
  EXPECT_EQ(groupReferenceOffset(kTagGgae, 6), 48u);
  for (const ChunkTag tag : {kTagGgfr, kTagGgst}) {
    EXPECT_EQ(groupReferenceOffset(tag, 1), 28u);
    EXPECT_EQ(groupReferenceOffset(tag, 4), 8u);
    EXPECT_FALSE(groupReferenceOffset(tag, 2));
    EXPECT_FALSE(groupReferenceOffset(tag, 6));
  }
  for (const std::uint32_t kind : {0u, 1u, 3u, 4u, 5u, 7u, 0xFFFFFFFFu}) {
    EXPECT_FALSE(groupReferenceOffset(kTagGgae, kind)) << kind;
  }
  EXPECT_FALSE(groupReferenceOffset(kTagActr, 1));
}

const Reference kMatching{2, "ABCD", 7};
const std::vector<Rule> kRule = {{"ABCD", 7, 2, 5}};

void expectRepairedExactly(const BuiltMovie& movie, const std::vector<Rule>& rules,
                           std::uint64_t count) {
  std::uint64_t expectedCount = 0;
  const Bytes expected = expectedAfterFix(movie, rules, &expectedCount);
  ASSERT_EQ(expectedCount, count);
  Bytes bytes = movie.bytes;
  RecordingSink sink;
  const WalkOutcome outcome = walkBytes(bytes, rules, sink);
  EXPECT_EQ(outcome.result, WalkResult::Done);
  EXPECT_EQ(outcome.fixCount, count);
  EXPECT_EQ(sink.fixes.size(), count);
  EXPECT_EQ(bytes, expected);
}

TEST(GroupChunkTest, PatchesTheReferenceOfEachKindThatHasOne) {
  const BuiltMovie movie = MovieBuilder(3)
                               .addGroupChunk(kTagGgae, {{2, kMatching, {}}, {6, kMatching, {}}})
                               .addGroupChunk(kTagGgfr, {{1, kMatching, {}}, {4, kMatching, {}}})
                               .addGroupChunk(kTagGgst, {{4, kMatching, {}}, {1, kMatching, {}}})
                               .build();
  expectRepairedExactly(movie, kRule, 6);
}

TEST(GroupChunkTest, KindsOfTheOtherGroupTagsAreSkipped) {
  // Lookalike references where the other tag's kinds keep theirs.
  const BuiltMovie movie = MovieBuilder(4)
                               .addGroupChunk(kTagGgfr, {{2, kMatching, 32}, {6, kMatching, 48}})
                               .addGroupChunk(kTagGgst, {{2, kMatching, 32}, {6, kMatching, 48}})
                               .addGroupChunk(kTagGgae, {{1, kMatching, 28}, {4, kMatching, 8}})
                               .addGroupChunk(kTagGgae, {{0, kMatching, 8}, {3, kMatching, 32}})
                               .build();
  expectRepairedExactly(movie, kRule, 0);
  Bytes bytes = movie.bytes;
  walkBytes(bytes, kRule);
  EXPECT_EQ(bytes, movie.bytes);
}

TEST(GroupChunkTest, ElementsReferringToTheSameItemAreEachCounted) {
  const BuiltMovie movie =
      MovieBuilder(5)
          .addGroupChunk(kTagGgfr, {{1, kMatching, {}}, {7, {}, {}}, {1, kMatching, {}}})
          .build();
  expectRepairedExactly(movie, kRule, 2);
}

TEST(GroupChunkTest, EmptyGroupsAndGroupsWithoutReferencesChangeNothing) {
  const BuiltMovie movie = MovieBuilder(6)
                               .addGroupChunk(kTagGgae, {})
                               .addGroupChunk(kTagGgfr, {{9, {}, {}}, {0, {}, {}}})
                               .build();
  Bytes bytes = movie.bytes;
  RecordingSink sink;
  const WalkOutcome outcome = walkBytes(bytes, kRule, sink);
  EXPECT_EQ(outcome.result, WalkResult::Done);
  EXPECT_EQ(outcome.fixCount, 0u);
  EXPECT_EQ(sink.steps, 2u);
  EXPECT_EQ(bytes, movie.bytes);
}

}  // namespace
}  // namespace vantrel
