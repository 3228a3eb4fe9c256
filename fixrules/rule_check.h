#ifndef VANTREL_FIXRULES_RULE_CHECK_H_
#define VANTREL_FIXRULES_RULE_CHECK_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "fixrules/fix_loader.h"

namespace vantrel {

// What can be wrong in a rule file that opens, in the order in which the
// problems of one rule are told.
enum class RuleProblemKind : std::uint8_t {
  Malformed,  // the record is not a rule; it and the records after it are not read
  Shadowed,   // an earlier rule has the same tag and number, so this one is never consulted
  NoChange,   // old and new value are equal
  OddTag,     // a tag byte is a control character (below 0x20, or 0x7F)
  Wrapped,    // a number lies outside 32 bits and was kept modulo 2^32
};

struct RuleProblem {
  RuleProblemKind kind;
  long long line;  // where the record begins
  // The rule it concerns; for Malformed, how many rules were read before it.
  std::size_t ruleIndex = 0;
  long long earlierLine = 0;                // Shadowed: the line of the rule that is consulted
  RuleField field = RuleField::Number;      // Wrapped: which number
  BadRecord badRecord = BadRecord::NoDash;  // Malformed: what is wrong with it
};

// The problems of a loaded rule file, in file order; those of one rule in
// the order of RuleProblemKind, a Wrapped one for each number that wrapped.
// They come from what the load itself found, so they always agree with
// the rules that the programs use.
std::vector<RuleProblem> findRuleProblems(const FixLoad& load);

// The Malformed problem of a load, when it has one.
std::optional<RuleProblem> malformedProblem(const FixLoad& load);

}  // namespace vantrel

#endif  // VANTREL_FIXRULES_RULE_CHECK_H_
