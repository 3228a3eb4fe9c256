#include "tests/support/sample_movies.h"

#include <cstring>

#include "movie/le_word.h"

namespace vantrel::moviekit {

std::vector<Rule> demoRules() {
  return {
      {"SND ", 12, 4410, 44100}, {"BMAP", 3, 0xFFFFFFFFu, 640},
      {"FONT", 1, 7, 9},         {"PAL ", 2, 256, 16},
      {"SCRP", 40, 1, 2},
  };
}

BuiltMovie demoMovie() {
  MovieBuilder builder(2026);
  builder.addOtherChunk(makeChunkTag("INFO"), 24)
      .addActr({4410, "SND ", 12})   // bad: fixed
      .addActr({44100, "SND ", 12})  // already right
      .addTdt({7, "FONT", 1})        // bad: fixed
      .addGroupChunk(kTagGgae, {{2, Reference{0xFFFFFFFFu, "BMAP", 3}, {}},
                                {6, Reference{256, "PAL ", 2}, {}},
                                {3, {}, {}}})
      .addGroupChunk(kTagGgfr, {{1, Reference{1, "SCRP", 40}, {}},
                                {4, Reference{1, "SCRP", 41}, {}},
                                {2, Reference{1, "SCRP", 40}, 32}})
      .addGroupChunk(kTagGgst, {{4, Reference{256, "PAL ", 2}, {}}})
      .addOtherChunk(makeChunkTag("SND "), 64)
      .addTdt({9, "FONT", 1});  // already right
  return builder.build();
}

KindWordPair kindWordIsAValueWordPair() {
  const BuiltMovie built = MovieBuilder(21)
                               .addGroupChunk(kTagGgfr, {{1, Reference{0x11, "ELEM", 5}, {}}})
                               .addActr({1, "ACTX", 0})
                               .build();
  Bytes bytes = built.bytes;
  const std::uint64_t element = built.references.front().offset - 28;
  // The 'ACTR' chunk's data moves to E - 24, so that its reference, at its
  // data + 28, lies over the element from its kind word on.
  for (std::uint64_t at = built.indexOffset; at + 12 <= bytes.size(); at += 4) {
    if (readLe32(&bytes[at]) == kTagActr && readLe32(&bytes[at + 8]) == built.chunkDataOffsets[1]) {
      writeLe32(static_cast<std::uint32_t>(element - 24), &bytes[at + 8]);
      break;
    }
  }
  writeLe32(1, &bytes[element + 4]);             // the kind word, and the 'ACTR' value word
  writeLe32(0x22, &bytes[element + 8]);          // the value a kind 4 element would hold
  std::memcpy(&bytes[element + 12], "ACTX", 4);  // the 'ACTR' tag
  std::memcpy(&bytes[element + 16], "ELEM", 4);  // a kind 4 element's tag, the 'ACTR' number
  writeLe32(5, &bytes[element + 20]);            // a kind 4 element's number
  KindWordPair pair{bytes, bytes, element + 4};
  writeLe32(4, &pair.damaged[element + 4]);
  return pair;
}

OverlapPair overlappingValueWordsPair() {
  const BuiltMovie built =
      MovieBuilder(22).addActr({0x11223344u, "OVRA", 1}).addActr({0x55667788u, "OVRB", 2}).build();
  Bytes bytes = built.bytes;
  // The first chunk's data moves to one byte after the second's.
  for (std::uint64_t at = built.indexOffset; at + 12 <= bytes.size(); at += 4) {
    if (readLe32(&bytes[at]) == kTagActr && readLe32(&bytes[at + 8]) == built.chunkDataOffsets[0]) {
      writeLe32(built.chunkDataOffsets[1] + 1, &bytes[at + 8]);
      break;
    }
  }
  const std::uint64_t second = built.references[1].offset;
  OverlapPair pair{bytes, bytes, second};
  pair.damaged[second] ^= 0x01;
  pair.damaged[second + 1] ^= 0x02;
  return pair;
}

}  // namespace vantrel::moviekit
