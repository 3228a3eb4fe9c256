#ifndef VANTREL_MOVIE_RULE_MEMO_H_
#define VANTREL_MOVIE_RULE_MEMO_H_

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "fixrules/fix_table.h"

namespace vantrel {

// The rule table's answers that one walk asked for lately, in a small table
// of its own. A movie names the same pieces of content again and again,
// while a large rule table lies spread over megabytes that the walk's
// reading keeps pushing out of the processor's cache; this one is small
// enough to stay there. It answers exactly as findRule() does.
class RuleMemo {
 public:
  // The first rule of `rules` for `tag` and `number`; null when it has none.
  // `rules` must be the same table at every call.
  const FixRule* find(const FixTable& rules, const char tag[4], std::uint32_t number) {
    Entry& entry = entries_[slotOf(tag, number)];
    if (!entry.used || entry.rule.number != number || std::memcmp(entry.rule.tag, tag, 4) != 0) {
      remember(entry, rules, tag, number);
    }
    return entry.found ? &entry.rule : nullptr;
  }

 private:
  struct Entry {
    FixRule rule{};      // the tag and number asked for, and when `found` the rule's values
    bool found = false;  // the table has a rule for them
    bool used = false;
  };
  static constexpr int kSlotBits = 12;

  static std::size_t slotOf(const char tag[4], std::uint32_t number) {
    std::uint32_t tagWord;
    std::memcpy(&tagWord, tag, 4);
    // Multiplicative hashing: the top bits of the product depend on all of the key.
    return static_cast<std::size_t>(
        (((std::uint64_t{tagWord} << 32) | number) * 0x9E3779B97F4A7C15ull) >> (64 - kSlotBits));
  }
  static void remember(Entry& entry, const FixTable& rules, const char tag[4],
                       std::uint32_t number);

  // On the heap: the walk's context, which holds the memo, lives on the stack.
  std::vector<Entry> entries_ = std::vector<Entry>(std::size_t{1} << kSlotBits);
};

}  // namespace vantrel

#endif  // VANTREL_MOVIE_RULE_MEMO_H_
