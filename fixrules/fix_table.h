#ifndef VANTREL_FIXRULES_FIX_TABLE_H_
#define VANTREL_FIXRULES_FIX_TABLE_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "fixrules/fix_rule.h"

namespace vantrel {

// The rules in file order, with an index from tag and number to the first
// rule for them, built once when the table is made. Order matters: a lookup
// answers with the first rule for a tag and number, and later rules for the
// same pair are never consulted. Read-only once built.
class FixTable {
 public:
  FixTable() = default;
  // Takes `rules` in file order and indexes them.
  explicit FixTable(std::vector<FixRule> rules);

  const std::vector<FixRule>& rules() const { return rules_; }
  std::size_t size() const { return rules_.size(); }
  const FixRule& rule(std::size_t index) const { return rules_[index]; }

  // See findRule().
  std::optional<std::size_t> find(const char tag[4], std::uint32_t number) const;

  // How many slots the index of `ruleCount` rules has, and which of them a
  // tag and number start their search at; tests use these to crowd keys
  // at the end of the index, where a search wraps around to its start.
  static std::size_t slotCountFor(std::size_t ruleCount);
  static std::size_t homeSlotOf(const char tag[4], std::uint32_t number, std::size_t slotCount);

 private:
  std::vector<FixRule> rules_;
  // Open addressing with linear probing: each slot holds a rule's index
  // plus one, 0 when empty; the key is the rule's own tag and number.
  std::vector<std::uint32_t> slots_;
};

// Index of the first rule whose tag equals the four bytes `tag` (in file
// order, case-sensitive) and whose number equals `number`; empty when the
// table holds no such rule.
inline std::optional<std::size_t> findRule(const FixTable& table, const char tag[4],
                                           std::uint32_t number) {
  return table.find(tag, number);
}

}  // namespace vantrel

#endif  // VANTREL_FIXRULES_FIX_TABLE_H_
