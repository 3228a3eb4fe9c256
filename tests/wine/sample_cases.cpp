#include "tests/wine/sample_cases.h"

namespace vantrel::wine {

using moviekit::Element;
using moviekit::MovieBuilder;
using moviekit::Reference;
using moviekit::Rule;

MovieAndRules mixedMovie() {
  MovieBuilder builder(20240611);
  builder.addActr(Reference{0x11, "BGND", 4})
      .addTdt(Reference{0x22, "TEXT", 9})
      .addGroupChunk(kTagGgfr, {Element{1, Reference{0x33, "SPRT", 1}, std::nullopt},
                                Element{4, Reference{0x34, "SPRT", 2}, std::nullopt},
                                Element{2, Reference{0x33, "SPRT", 1}, 12}})
      .addOtherChunk(makeChunkTag("SND "), 64)
      .addGroupChunk(kTagGgae, {Element{2, Reference{0x44, "ANIM", 7}, std::nullopt},
                                Element{6, Reference{0x45, "ANIM", 8}, std::nullopt},
                                Element{3, std::nullopt, std::nullopt}})
      .addGroupChunk(kTagGgst, {Element{1, Reference{0x55, "STIL", 3}, std::nullopt},
                                Element{4, Reference{0x56, "STIL", 3}, std::nullopt}})
      .addActr(Reference{0x99, "BGND", 5})       // no rule for this number
      .addActr(Reference{0x12, "BGND", 4})       // a rule, but not this value
      .addTdt(Reference{0xFFFFFFFFu, "TEXT", 10})
      // "ACTR" as file bytes is the tag 'RTCA', which the walk does not know.
      .addChunkWithTagBytes("ACTR", Reference{0x11, "BGND", 4});
  const std::vector<Rule> rules = {
      {"BGND", 4, 0x11, 0x1011},
      {"TEXT", 9, 0x22, 0x2022},
      {"SPRT", 1, 0x33, 0x3033},
      {"SPRT", 2, 0x34, 0x3034},
      {"ANIM", 7, 0x44, 0x4044},
      {"ANIM", 8, 0x45, 0x4045},
      {"STIL", 3, 0x55, 0x5055},
      {"STIL", 3, 0x56, 0x5056},  // never used: the rule above comes first
      {"TEXT", 10, 0xFFFFFFFFu, 7},
  };
  return MovieAndRules{builder.build(), rules};
}

MovieAndRules manyChunkMovie(std::uint32_t chunkCount) {
  MovieBuilder builder(77);
  for (std::uint32_t i = 0; i < chunkCount; ++i) {
    builder.addActr(Reference{i % 3 == 0 ? 0x0BADu : 0x600Du, "FRAM", 1});
  }
  return MovieAndRules{builder.build(), {Rule{"FRAM", 1, 0x0BAD, 0x0600D}}};
}

}  // namespace vantrel::wine
