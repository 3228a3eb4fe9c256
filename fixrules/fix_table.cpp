#include "fixrules/fix_table.h"

#include <algorithm>
#include <limits>

namespace vantrel {
namespace {

std::uint32_t tagWordOf(const char tag[4]) {
  const auto byte = [tag](int i) { return std::uint32_t{static_cast<unsigned char>(tag[i])}; };
  return byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24;
}

// Spreads every bit of tag and number over the result (MurmurHash3's
// finaliser).
std::uint64_t hashOf(std::uint32_t tagWord, std::uint32_t number) {
  std::uint64_t key = std::uint64_t{tagWord} << 32 | number;
  key ^= key >> 33;
  key *= 0xff51afd7ed558ccdULL;
  key ^= key >> 33;
  key *= 0xc4ceb9fe1a85ec53ULL;
  key ^= key >> 33;
  return key;
}

bool hasKey(const FixRule& rule, std::uint32_t tagWord, std::uint32_t number) {
  return rule.number == number && tagWordOf(rule.tag) == tagWord;
}

std::size_t homeSlotIn(std::uint64_t hash, std::size_t slotCount) {
  // The hash's top bits scaled to the table, which needs no power-of-two size.
  return static_cast<std::size_t>(((hash >> 32) * slotCount) >> 32);
}

// Rules are numbered in 32 bits in the index, and its slots counted so that
// homeSlotIn cannot overflow; a table beyond that (which no memory holds
// today) is searched without one.
constexpr std::size_t kMostIndexedRules = std::numeric_limits<std::uint32_t>::max() / 2;

}  // namespace

FixTable::FixTable(std::vector<FixRule> rules) : rules_(std::move(rules)) {
  if (rules_.empty() || rules_.size() > kMostIndexedRules) return;
  slots_.resize(slotCountFor(rules_.size()));
  for (std::size_t i = 0; i < rules_.size(); ++i) {
    const std::uint32_t tagWord = tagWordOf(rules_[i].tag);
    const std::uint32_t number = rules_[i].number;
    std::size_t slot = homeSlotIn(hashOf(tagWord, number), slots_.size());
    // Only the first rule for a key goes in: later ones are never the answer.
    while (slots_[slot] != 0 && !hasKey(rules_[slots_[slot] - 1], tagWord, number)) {
      if (++slot == slots_.size()) slot = 0;
    }
    if (slots_[slot] == 0) slots_[slot] = static_cast<std::uint32_t>(i + 1);
  }
}

std::size_t FixTable::slotCountFor(std::size_t ruleCount) {
  // At least two slots for every rule, so that searches stay short.
  return std::max<std::size_t>(16, 2 * ruleCount);
}

std::size_t FixTable::homeSlotOf(const char tag[4], std::uint32_t number, std::size_t slotCount) {
  return homeSlotIn(hashOf(tagWordOf(tag), number), slotCount);
}

std::optional<std::size_t> FixTable::find(const char tag[4], std::uint32_t number) const {
  const std::uint32_t tagWord = tagWordOf(tag);
  if (slots_.empty()) {
    for (std::size_t i = 0; i < rules_.size(); ++i) {
      if (hasKey(rules_[i], tagWord, number)) return i;
    }
    return std::nullopt;
  }
  for (std::size_t slot = homeSlotIn(hashOf(tagWord, number), slots_.size());;) {
    const std::uint32_t ruleIndexPlusOne = slots_[slot];
    if (ruleIndexPlusOne == 0) return std::nullopt;
    if (hasKey(rules_[ruleIndexPlusOne - 1], tagWord, number)) return ruleIndexPlusOne - 1;
    if (++slot == slots_.size()) slot = 0;
  }
}

}  // namespace vantrel
