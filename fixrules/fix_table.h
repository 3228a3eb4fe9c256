#ifndef VANTREL_FIXRULES_FIX_TABLE_H_
#define VANTREL_FIXRULES_FIX_TABLE_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "fixrules/fix_rule.h"

namespace vantrel {

// The rules in file order. Order matters: a lookup answers with the first
// rule for a tag and number, and later rules for the same pair are never
// consulted.
struct FixTable {
  std::vector<FixRule> rules;
};

// Index of the first rule whose tag equals the four bytes `tag` (in file
// order, case-sensitive) and whose number equals `number`; empty when the
// table holds no such rule.
std::optional<std::size_t> findRule(const FixTable& table, const char tag[4],
                                    std::uint32_t number);

}  // namespace vantrel

#endif  // VANTREL_FIXRULES_FIX_TABLE_H_
