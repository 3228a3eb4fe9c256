#ifndef VANTREL_TESTS_SUPPORT_MODEL_WALK_H_
#define VANTREL_TESTS_SUPPORT_MODEL_WALK_H_

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "fixrules/fix_rule.h"
#include "movie/walk_result.h"
#include "tests/support/movie_builder.h"

namespace vantrel::moviekit {

// A second, deliberately plain account of what a walk does to a movie: the
// whole file as one byte array, every bound checked in the open, rules found
// by scanning the list from the top. Tests and fuzz targets hold the real
// walk to it byte for byte.

// One fix the model made (or, in a dry run, would make).
struct ModelFix {
  std::uint64_t valueOffset = 0;
  std::array<unsigned char, 4> tag{};
  std::uint32_t number = 0;
  std::uint32_t oldValue = 0;
  std::uint32_t newValue = 0;
};

// One reference whose tag, number and value the model read, and where:
// the chunk's place in the index, its tag as it reads ("GGFR"), and for a
// group chunk the element's place; `rule` is the index in the rule list of
// the first rule for the tag and number, when there is one.
struct ModelReference {
  std::uint64_t valueOffset = 0;
  std::uint32_t chunk = 0;
  std::array<unsigned char, 4> chunkTag{};
  std::optional<std::uint32_t> element;
  std::array<unsigned char, 4> tag{};
  std::uint32_t number = 0;
  std::uint32_t value = 0;
  std::optional<std::size_t> rule;
};

struct ModelWalk {
  WalkResult result = WalkResult::NotValid;
  std::uint64_t fixCount = 0;
  Bytes bytes;                             // the movie as the walk leaves it
  bool begun = false;                      // the index was read and the chunks visited
  std::uint32_t chunkTotal = 0;            // the index's count, when begun
  std::uint32_t steps = 0;                 // the chunks visited to their end
  OverBudget overBudget = OverBudget::No;  // whether the budget of element visits ended it
  std::vector<ModelFix> fixes;             // in the order they were made
  std::vector<ModelReference> references;  // in the order they were read
};

// Walks `movie` with `rules` (file order; the first rule for a tag and number
// is the one that counts). Writes never fail here, so the result is Done or
// NotValid. The walk makes at most half the file's size in element visits:
// a movie whose group chunks, as the index first names them, hold more is
// not valid and nothing is written; a count that a fix raises during the
// walk stops it at the group chunk that crosses the budget.
ModelWalk modelWalk(const Bytes& movie, const std::vector<FixRule>& rules, bool dryRun = false);

// For `walk`, the model's walk (not a dry run) of `movie` with `rules`: true
// when no value word it wrote overlaps a byte that it read for another
// purpose or another reference's value word. Then a second walk over the
// result reads the same structure and the same references, and, when every
// rule's old and new values differ, finds nothing more to fix.
bool patchesTouchNothingElseRead(const Bytes& movie, const std::vector<FixRule>& rules,
                                 const ModelWalk& walk);

}  // namespace vantrel::moviekit

#endif  // VANTREL_TESTS_SUPPORT_MODEL_WALK_H_
