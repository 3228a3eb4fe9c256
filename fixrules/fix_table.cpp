#include "fixrules/fix_table.h"

namespace vantrel {

std::optional<std::size_t> findRule(const FixTable& table, const char tag[4],
                                    std::uint32_t number) {
  for (std::size_t i = 0; i < table.rules.size(); ++i) {
    const FixRule& rule = table.rules[i];
    if (rule.tag[0] == tag[0] && rule.tag[1] == tag[1] &&
        rule.tag[2] == tag[2] && rule.tag[3] == tag[3] &&
        rule.number == number) {
      return i;
    }
  }
  return std::nullopt;
}

}  // namespace vantrel
