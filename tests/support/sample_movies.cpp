#include "tests/support/sample_movies.h"

namespace vantrel::moviekit {

std::vector<Rule> demoRules() {
  return {
      {"SND ", 12, 4410, 44100},
      {"BMAP", 3, 0xFFFFFFFFu, 640},
      {"FONT", 1, 7, 9},
      {"PAL ", 2, 256, 16},
      {"SCRP", 40, 1, 2},
  };
}

BuiltMovie demoMovie() {
  MovieBuilder builder(2026);
  builder.addOtherChunk(makeChunkTag("INFO"), 24)
      .addActr({4410, "SND ", 12})          // bad: fixed
      .addActr({44100, "SND ", 12})         // already right
      .addTdt({7, "FONT", 1})               // bad: fixed
      .addGroupChunk(kTagGgae, {{2, Reference{0xFFFFFFFFu, "BMAP", 3}, {}},
                                {6, Reference{256, "PAL ", 2}, {}},
                                {3, {}, {}}})
      .addGroupChunk(kTagGgfr, {{1, Reference{1, "SCRP", 40}, {}},
                                {4, Reference{1, "SCRP", 41}, {}},
                                {2, Reference{1, "SCRP", 40}, 32}})
      .addGroupChunk(kTagGgst, {{4, Reference{256, "PAL ", 2}, {}}})
      .addOtherChunk(makeChunkTag("SND "), 64)
      .addTdt({9, "FONT", 1});              // already right
  return builder.build();
}

}  // namespace vantrel::moviekit
