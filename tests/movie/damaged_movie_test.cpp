// Damaged and hostile movies: whatever the bytes say, the walk ends, writes
// nothing outside the value words of references it read whole, and writes
// only what their first rule says.
#include <gtest/gtest.h>

#include "movie/le_word.h"
#include "tests/support/walk_helpers.h"

namespace vantrel {
namespace {

using namespace moviekit;

const std::vector<Rule> kRules = {{"ABCD", 7, 2, 5}, {"WAVE", 1, 100, 200}};

BuiltMovie sampleMovie() {
  return MovieBuilder(21)
      .addActr({2, "ABCD", 7})
      .addGroupChunk(kTagGgae, {{6, Reference{100, "WAVE", 1}, {}}, {2, Reference{2, "ABCD", 7}, {}}})
      .addTdt({100, "WAVE", 1})
      .addGroupChunk(kTagGgfr, {{1, Reference{2, "ABCD", 7}, {}}, {4, Reference{100, "WAVE", 1}, {}}})
      .addGroupChunk(kTagGgst, {{4, Reference{2, "ABCD", 7}, {}}})
      .build();
}

// Every changed byte lies in the value word of a reference that the movie
// holds, and that word now holds the new value of the reference's rule.
void expectOnlyValueWordsChanged(const BuiltMovie& movie, const Bytes& before, const Bytes& after) {
  ASSERT_EQ(before.size(), after.size());
  const Bytes repaired = expectedAfterFix(movie, kRules);
  for (const std::size_t offset : changedOffsets(before, after)) {
    bool inFixedWord = false;
    for (const PlacedReference& placed : movie.references) {
      if (offset >= placed.offset && offset < placed.offset + 4 && placed.offset + 4 <= after.size()) {
        inFixedWord = std::equal(after.begin() + placed.offset, after.begin() + placed.offset + 4,
                                 repaired.begin() + placed.offset);
      }
    }
    EXPECT_TRUE(inFixedWord) << "byte " << offset << " changed";
  }
}

TEST(DamagedMovieTest, CutShortAtEveryLength) {
  const BuiltMovie movie = sampleMovie();
  for (std::size_t length = 0; length <= movie.bytes.size(); ++length) {
    SCOPED_TRACE("length " + std::to_string(length));
    const Bytes before(movie.bytes.begin(), movie.bytes.begin() + static_cast<std::ptrdiff_t>(length));
    Bytes bytes = before;
    RecordingSink sink;
    const WalkOutcome outcome = walkBytes(bytes, kRules, sink);
    expectOnlyValueWordsChanged(movie, before, bytes);
    if (outcome.result == WalkResult::Done) {
      EXPECT_EQ(sink.steps, sink.total);
    } else {
      EXPECT_EQ(outcome.result, WalkResult::NotValid);
      EXPECT_EQ(bytes, before);
    }
  }
}

TEST(DamagedMovieTest, IndexCountsTheFileCannotHold) {
  for (const std::uint32_t count : {0x20000000u, 0xFFFFFFFFu, 6u}) {
    BuiltMovie movie = sampleMovie();
    writeLe32(count, movie.bytes.data() + movie.indexOffset + 4);
    Bytes bytes = movie.bytes;
    RecordingSink sink;
    EXPECT_EQ(walkBytes(bytes, kRules, sink).result, WalkResult::NotValid) << count;
    EXPECT_EQ(bytes, movie.bytes);
  }
  // An empty index has no table to read, even where its data size points
  // past the end of the file.
  BuiltMovie movie = sampleMovie();
  writeLe32(0, movie.bytes.data() + movie.indexOffset + 4);
  writeLe32(0xFFFFFF00u, movie.bytes.data() + movie.indexOffset + 8);
  Bytes bytes = movie.bytes;
  RecordingSink sink;
  EXPECT_EQ(walkBytes(bytes, kRules, sink).result, WalkResult::Done);
  EXPECT_EQ(sink.total, 0u);
  EXPECT_EQ(bytes, movie.bytes);
}

TEST(DamagedMovieTest, IndexOffsetsPastTheEnd) {
  for (const std::uint32_t indexOffset : {0xFFFFFFFFu, 0xFFFFFFF0u, 0x7FFFFFFFu}) {
    BuiltMovie movie = sampleMovie();
    writeLe32(indexOffset, movie.bytes.data() + 20);
    Bytes bytes = movie.bytes;
    EXPECT_EQ(walkBytes(bytes, kRules).result, WalkResult::NotValid);
    EXPECT_EQ(bytes, movie.bytes);
  }
  BuiltMovie movie = sampleMovie();  // data size that pushes the table past the end
  writeLe32(0xFFFFFFF0u, movie.bytes.data() + movie.indexOffset + 8);
  Bytes bytes = movie.bytes;
  EXPECT_EQ(walkBytes(bytes, kRules).result, WalkResult::NotValid);
}

// The other chunks are still repaired when one group is damaged.
void expectOthersRepaired(const BuiltMovie& damaged, std::size_t damagedChunk) {
  Bytes bytes = damaged.bytes;
  RecordingSink sink;
  const WalkOutcome outcome = walkBytes(bytes, kRules, sink);
  EXPECT_EQ(outcome.result, WalkResult::Done);
  EXPECT_EQ(sink.steps, damaged.chunkCount);
  expectOnlyValueWordsChanged(damaged, damaged.bytes, bytes);
  const Bytes repaired = expectedAfterFix(damaged, kRules);
  for (const PlacedReference& placed : damaged.references) {
    const bool inDamagedChunk =
        placed.offset >= damaged.chunkDataOffsets[damagedChunk] &&
        (damagedChunk + 1 == damaged.chunkCount ||
         placed.offset < damaged.chunkDataOffsets[damagedChunk + 1]);
    if (inDamagedChunk) continue;
    EXPECT_EQ(readLe32(bytes.data() + placed.offset), readLe32(repaired.data() + placed.offset))
        << "reference at " << placed.offset;
  }
}

TEST(DamagedMovieTest, GroupCountsTheFileCannotHold) {
  for (const std::uint32_t count : {0x20000000u, 0xFFFFFFFFu, 3u}) {
    SCOPED_TRACE(count);
    BuiltMovie movie = sampleMovie();
    writeLe32(count, movie.bytes.data() + movie.chunkDataOffsets[3] + 4);
    expectOthersRepaired(movie, 3);
  }
}

TEST(DamagedMovieTest, ChunkAndElementOffsetsPastTheEnd) {
  const std::uint32_t wild[] = {0xFFFFFFFFu, 0xFFFFFFF0u, 0xFFFFFFE0u, 0x80000000u};
  for (const std::uint32_t offset : wild) {
    SCOPED_TRACE(offset);
    BuiltMovie movie = sampleMovie();
    for (std::uint32_t chunk : {0u, 2u, 4u}) {  // the records' data offsets
      writeLe32(offset, movie.bytes.data() + movie.indexOffset + 20 + 16 * chunk + 8);
    }
    Bytes bytes = movie.bytes;
    RecordingSink sink;
    const WalkOutcome outcome = walkBytes(bytes, kRules, sink);
    EXPECT_EQ(outcome.result, WalkResult::Done);
    EXPECT_EQ(sink.steps, 5u);
    expectOnlyValueWordsChanged(movie, movie.bytes, bytes);

    BuiltMovie elements = sampleMovie();  // an element's offset in a group
    const std::uint32_t group = elements.chunkDataOffsets[1];
    const std::uint32_t dataSize = readLe32(elements.bytes.data() + group + 8);
    writeLe32(offset, elements.bytes.data() + group + 20 + dataSize);
    expectOthersRepaired(elements, 1);
  }
}

TEST(DamagedMovieTest, IndexRecordsPointingAnywhereNeverWriteOutsideValueWords) {
  // Every record offset from 0 to past the end: the walk reads chunk records
  // out of arbitrary bytes, including the header and the index itself.
  const BuiltMovie movie = sampleMovie();
  for (std::uint32_t at = 0; at < movie.bytes.size() + 8; ++at) {
    Bytes bytes = movie.bytes;
    writeLe32(at, bytes.data() + movie.indexOffset + 20 + 5 * 16);
    const Bytes before = bytes;
    RecordingSink sink;
    walkBytes(bytes, kRules, sink);
    EXPECT_EQ(sink.steps, 5u);
    expectOnlyValueWordsChanged(movie, before, bytes);
  }
}

}  // namespace
}  // namespace vantrel
