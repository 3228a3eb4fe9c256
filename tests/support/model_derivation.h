#ifndef VANTREL_TESTS_SUPPORT_MODEL_DERIVATION_H_
#define VANTREL_TESTS_SUPPORT_MODEL_DERIVATION_H_

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "fixrules/fix_rule.h"
#include "tests/support/movie_builder.h"

namespace vantrel::moviekit {

// A second, deliberately plain account of deriving rules from pairs of a
// good movie and its damaged copy: every pair of references of every movie
// kept in full, each tag and number judged by looking at all of its pairs,
// references read by the walk model, and what fix.dat can hold found by
// reading a record back with the rule model. Two references pair when they
// lie at the same place and the same offset with the same tag and number;
// then the two movies must agree in every byte but the value words of the
// pairs (and the blocks of the references without a partner, told already);
// and when nothing else is found, each damaged movie repaired by the walk
// model with the rules must be its good copy.

// One thing the derivation reports, in the order it reports them: the
// layout problems of each pair of movies as the damaged movie's walk meets
// them, then, in the order of the first pair that needs one, a rule or a
// problem for each tag and number.
struct ModelFinding {
  std::string kind;    // "rule", "layout", "conflict", "shadowed" or "unwritable"
  bool bytes = false;  // layout: the first byte that differs outside any reference (tag, number 0)
  std::array<unsigned char, 4> tag{};
  std::uint32_t number = 0;
  std::size_t moviePair = 0;     // which pair of movies, from 0
  bool inGood = false;           // a layout problem in the good movie
  std::uint64_t offset = 0;      // of the value word
  std::uint32_t oldValue = 0;    // rule
  std::uint32_t newValue = 0;    // rule
  std::uint64_t references = 0;  // rule: the pairs it repairs
  long long line = 0;            // shadowed: the existing rule's line

  bool operator==(const ModelFinding& other) const;
};

struct ModelDerivation {
  std::vector<ModelFinding> findings;
  std::uint64_t compared = 0;
  std::uint64_t differing = 0;
  std::vector<FixRule> rules;  // the derived rules, in the order written
};

// Derives from `pairs` (good, damaged) after the rules `existing`.
ModelDerivation modelDerive(const std::vector<std::pair<Bytes, Bytes>>& pairs,
                            const std::vector<FixRule>& existing);

std::string describe(const ModelFinding& finding);

}  // namespace vantrel::moviekit

#endif  // VANTREL_TESTS_SUPPORT_MODEL_DERIVATION_H_
