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
// enough to stay there, and is asked first. It answers exactly as
// findRule() does.
class RuleMemo {
 public:
  // The first rule of `rules` for `tag` and `number`; null when it has none.
  // `rules` must be the same table at every call.
  const FixRule* find(const FixTable& rules, const char tag[4], std::uint32_t number) {
    return ruleOf(rules, lookUp(rules, tag, number));
  }

  // The same rule, but only when its old value is `value`: the rule that
  // fixes a reference holding `value`. The walk asks this of every
  // reference, and most need no fix, so the answer comes from the memo
  // alone, without a look at the rule table.
  const FixRule* ruleFixing(const FixTable& rules, const char tag[4], std::uint32_t number,
                            std::uint32_t value) {
    const Entry& entry = lookUp(rules, tag, number);
    if (entry.rule == kNoRule || entry.oldValue != value) return nullptr;
    return ruleOf(rules, entry);
  }

 private:
  // Sixteen bytes, four to a cache line.
  struct Entry {
    char tag[4];
    std::uint32_t number;
    std::uint32_t oldValue;  // the rule's, when there is one
    std::uint32_t rule;      // one of the states below, or kFirstRule plus the rule's index
  };
  static constexpr std::uint32_t kUnused = 0;
  static constexpr std::uint32_t kNoRule = 1;
  // A rule whose index does not fit: looked up in the table when asked for.
  static constexpr std::uint32_t kRuleNotNumbered = 2;
  static constexpr std::uint32_t kFirstRule = 3;
  static constexpr int kSlotBits = 12;

  const Entry& lookUp(const FixTable& rules, const char tag[4], std::uint32_t number) {
    Entry& entry = entries_[slotOf(tag, number)];
    if (entry.rule == kUnused || entry.number != number || std::memcmp(entry.tag, tag, 4) != 0) {
      remember(entry, rules, tag, number);
    }
    return entry;
  }

  static const FixRule* ruleOf(const FixTable& rules, const Entry& entry) {
    if (entry.rule == kNoRule) return nullptr;
    if (entry.rule == kRuleNotNumbered) return &rules.rule(*findRule(rules, entry.tag, entry.number));
    return &rules.rule(entry.rule - kFirstRule);
  }

  static std::size_t slotOf(const char tag[4], std::uint32_t number) {
    std::uint32_t tagWord;
    std::memcpy(&tagWord, tag, 4);
    // Multiplicative hashing: the top bits of the product depend on all of
    // the key, and the numbers of one tag in a row, as a movie's mostly are,
    // land far apart, so that they seldom take each other's places.
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
