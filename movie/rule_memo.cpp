#include "movie/rule_memo.h"

namespace vantrel {

void RuleMemo::remember(Entry& entry, const FixTable& rules, const char tag[4],
                        std::uint32_t number) {
  const auto index = findRule(rules, tag, number);
  entry.found = index.has_value();
  entry.used = true;
  if (entry.found) {
    entry.rule = rules.rule(*index);
  } else {
    std::memcpy(entry.rule.tag, tag, 4);
    entry.rule.number = number;
  }
}

}  // namespace vantrel
