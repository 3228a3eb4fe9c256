#ifndef VANTREL_TESTS_SUPPORT_MODEL_RULES_H_
#define VANTREL_TESTS_SUPPORT_MODEL_RULES_H_

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "fixrules/fix_rule.h"

namespace vantrel::moviekit {

// A second, deliberately plain reading of fix.dat, for tests and fuzz targets
// to hold the loader to: the text is first made what a text-mode read sees
// (cut at the first Ctrl-Z, CR LF folded to LF), then records are taken one
// after another until one does not have the shape "-TTTT number old new".
struct ModelRuleLoad {
  std::vector<FixRule> rules;   // the records before the first malformed one, with their lines
  std::optional<long> badLine;  // 1-based line where that record begins
};

ModelRuleLoad modelReadRules(std::string_view fileBytes);

// Whether a rule file holding the record of a rule with this tag reads it back.
bool ruleFileHolds(const std::array<unsigned char, 4>& tag);

// The first of `rules` with this tag and number, as fix.dat consults them;
// null when none has them.
const FixRule* firstRule(const std::vector<FixRule>& rules, const std::array<unsigned char, 4>& tag,
                         std::uint32_t number);

}  // namespace vantrel::moviekit

#endif  // VANTREL_TESTS_SUPPORT_MODEL_RULES_H_
