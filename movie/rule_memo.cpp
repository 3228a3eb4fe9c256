#include "movie/rule_memo.h"

namespace vantrel {

void RuleMemo::remember(Entry& entry, const FixTable& rules, const char tag[4],
                        std::uint32_t number) {
  const auto index = findRule(rules, tag, number);
  std::memcpy(entry.tag, tag, 4);
  entry.number = number;
  entry.oldValue = index ? rules.rule(*index).oldValue : 0;
  if (!index) {
    entry.rule = kNoRule;
  } else if (*index <= UINT32_MAX - kFirstRule) {
    entry.rule = kFirstRule + static_cast<std::uint32_t>(*index);
  } else {
    entry.rule = kRuleNotNumbered;  // only in a table of some four billion rules
  }
}

}  // namespace vantrel
