#ifndef VANTREL_TESTS_SUPPORT_MODEL_SUGGESTION_H_
#define VANTREL_TESTS_SUPPORT_MODEL_SUGGESTION_H_

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "fixrules/fix_rule.h"
#include "tests/support/movie_builder.h"

namespace vantrel::moviekit {

// A second, deliberately plain account of suggesting rules from an archive:
// every reference of every movie kept in full, each tag and number judged by
// counting over all of them, references read by the walk model, and what
// fix.dat can hold found by reading a record back with the rule model.

// One thing the suggestion reports, in the order it reports them.
struct ModelSuggestFinding {
  std::string kind;  // "suggestion", "more-values", "unwritable" or "differs"
  std::array<unsigned char, 4> tag{};
  std::uint32_t number = 0;
  std::uint32_t oldValue = 0;  // the suggested rule (or the one a problem would have)
  std::uint32_t newValue = 0;
  std::uint64_t movies = 0;  // movies holding the tag and number
  std::uint64_t oldMovies = 0;
  std::uint64_t newMovies = 0;
  std::uint64_t oldReferences = 0;
  std::uint64_t newReferences = 0;
  std::vector<std::size_t> examples;  // the first three movies holding the old value
  long long line = 0;                 // differs: the rule's line
  std::uint32_t nextValue = 0;        // more-values: the value to be suggested next

  bool operator==(const ModelSuggestFinding& other) const;
};

struct ModelSuggestion {
  std::vector<ModelSuggestFinding> findings;
  std::uint64_t movies = 0;  // movies read in full
  std::uint64_t keys = 0;
  std::uint64_t varied = 0;
  std::uint64_t covered = 0;  // keys whose suggestion the rules already hold
  std::vector<FixRule> rules;  // the suggested rules, in order
};

// Suggests from `movies` (in order; one the walk model finds not valid adds
// nothing) with the thresholds and the rules `existing` (file order).
ModelSuggestion modelSuggest(const std::vector<Bytes>& movies, std::uint32_t agreement,
                             std::uint64_t minMovies, const std::vector<FixRule>& existing);

std::string describe(const ModelSuggestFinding& finding);

}  // namespace vantrel::moviekit

#endif  // VANTREL_TESTS_SUPPORT_MODEL_SUGGESTION_H_
