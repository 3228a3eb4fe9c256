#include "fixrules/fix_table.h"

#include <algorithm>
#include <limits>
#include <new>
#include <system_error>
#include <thread>

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

// Rules are numbered in 32 bits in the index; a table beyond that (which no
// memory holds today) is searched without one.
constexpr std::size_t kMostIndexedRules = std::numeric_limits<std::uint32_t>::max() / 2;

// A table of this many rules fills its index on two threads.
constexpr std::size_t kParallelFillFrom = std::size_t{1} << 16;

}  // namespace

FixTable::FixTable(std::vector<FixRule> rules) {
  FixTableBuilder builder(rules.size());
  for (const FixRule& rule : rules) builder.add(rule);
  *this = builder.build();
}

std::size_t FixTable::homeSlotIn(std::uint64_t hash, std::size_t slotCount) {
  // The hash's top bits scaled to the table: keys in hash order have their
  // homes in slot order.
  return static_cast<std::size_t>(((hash >> 32) * slotCount) >> 32);
}

std::size_t FixTable::slotCountFor(std::size_t ruleCount) {
  // Two slots for every three rules at most, and an even count: then the
  // keys of the lower half of the buckets have their homes strictly below
  // the middle slot and the others at or above it, so the two halves of the
  // index never share a home slot.
  const std::size_t slots = std::max<std::size_t>(16, ruleCount + ruleCount / 2);
  return slots + slots % 2;
}

std::size_t FixTable::homeSlotOf(const char tag[4], std::uint32_t number, std::size_t slotCount) {
  return homeSlotIn(hashOf(tagWordOf(tag), number), slotCount);
}

std::optional<std::size_t> FixTable::find(const char tag[4], std::uint32_t number) const {
  const std::uint32_t tagWord = tagWordOf(tag);
  if (slots_.empty()) {
    for (std::size_t i = 0; i < rules_.size(); ++i) {
      if (tagWordOf(rules_[i].tag) == tagWord && rules_[i].number == number) return i;
    }
    return std::nullopt;
  }
  for (std::size_t slot = homeSlot(hashOf(tagWord, number));;) {
    const Slot& candidate = slots_[slot];
    if (candidate.ruleIndexPlusOne == 0) return std::nullopt;
    if (candidate.tagWord == tagWord && candidate.number == number) {
      return candidate.ruleIndexPlusOne - 1;
    }
    if (++slot == slots_.size()) slot = 0;
  }
}

FixTableBuilder::FixTableBuilder(std::size_t expectedRules) {
  // Reserved room that is never used costs address space, not memory; room
  // too small makes the vectors grow, copying what they hold each time.
  try {
    rules_.reserve(expectedRules);
    if (expectedRules >= 16 * kBuckets) {
      for (auto& bucket : buckets_) bucket.reserve(expectedRules / kBuckets * 5 / 4);
    }
  } catch (const std::bad_alloc&) {
    // Only a hint; the vectors grow as they must.
  }
}

void FixTableBuilder::add(const FixRule& rule) {
  const KeyedRule keyed{tagWordOf(rule.tag), rule.number, static_cast<std::uint32_t>(rules_.size())};
  rules_.push_back(rule);
  if (rules_.size() <= kMostIndexedRules) {
    buckets_[hashOf(keyed.tagWord, keyed.number) >> (64 - kBucketBits)].push_back(keyed);
  }
}

void FixTableBuilder::append(FixTableBuilder&& later) {
  const auto shift = static_cast<std::uint32_t>(rules_.size());
  if (rules_.size() + later.rules_.size() > kMostIndexedRules) {
    for (const FixRule& rule : later.rules_) add(rule);
    return;
  }
  rules_.insert(rules_.end(), later.rules_.begin(), later.rules_.end());
  later_.push_back(LaterBuckets{std::move(later.buckets_), shift});
  for (LaterBuckets& laterOfLater : later.later_) {
    laterOfLater.indexShift += shift;
    later_.push_back(std::move(laterOfLater));
  }
  later = FixTableBuilder();
}

// Fills the slots that the keys of buckets [firstBucket, endBucket) have
// their homes in, clearing them as it goes, and never goes at or beyond
// `slotEnd`: a key whose probe would is set aside, in order.
void FixTableBuilder::fill(FixTable& table, std::size_t firstBucket, std::size_t endBucket,
                           std::size_t slotEnd, std::vector<KeyedRule>& setAside) const {
  std::vector<FixTable::Slot>& slots = table.slots_;
  const std::size_t slotBegin = (firstBucket * slots.size()) >> kBucketBits;
  std::size_t clearedEnd = slotBegin;
  const auto clearThrough = [&slots, &clearedEnd, slotEnd](std::size_t slot) {
    for (; clearedEnd <= slot && clearedEnd < slotEnd; ++clearedEnd) {
      slots[clearedEnd].ruleIndexPlusOne = 0;
    }
  };
  const auto insert = [&](const KeyedRule& keyed, std::uint32_t indexShift) {
    std::size_t slot = table.homeSlot(hashOf(keyed.tagWord, keyed.number));
    if (slot < slotBegin || slot >= slotEnd) {
      // Not this part's to place (the halves cannot share a home, but the
      // fill must not rely on it to stay inside its own slots).
      setAside.push_back(KeyedRule{keyed.tagWord, keyed.number, keyed.index + indexShift});
      return;
    }
    clearThrough(slot);
    while (slots[slot].ruleIndexPlusOne != 0 &&
           (slots[slot].tagWord != keyed.tagWord || slots[slot].number != keyed.number)) {
      if (++slot == slotEnd) {
        setAside.push_back(KeyedRule{keyed.tagWord, keyed.number, keyed.index + indexShift});
        return;
      }
      clearThrough(slot);
    }
    // Only the first rule for a key goes in: later ones are never the answer.
    if (slots[slot].ruleIndexPlusOne == 0) {
      slots[slot].tagWord = keyed.tagWord;
      slots[slot].number = keyed.number;
      slots[slot].ruleIndexPlusOne = keyed.index + indexShift + 1;
    }
  };
  for (std::size_t b = firstBucket; b < endBucket; ++b) {
    for (const KeyedRule& keyed : buckets_[b]) insert(keyed, 0);
    for (const LaterBuckets& later : later_) {
      for (const KeyedRule& keyed : later.buckets[b]) insert(keyed, later.indexShift);
    }
  }
  clearThrough(slotEnd - 1);
}

FixTable FixTableBuilder::build() {
  FixTable table;
  table.rules_ = std::move(rules_);
  if (table.rules_.empty() || table.rules_.size() > kMostIndexedRules) return table;
  std::vector<FixTable::Slot>& slots = table.slots_;
  slots.resize(FixTable::slotCountFor(table.rules_.size()));

  // The keys of the lower half of the buckets have their homes in the lower
  // half of the slots; a large table fills its halves at once. What probing
  // would carry across a half's end waits, in order, for both to be filled,
  // so the first rule for a key still goes in first.
  const std::size_t half = (kBuckets / 2 * slots.size()) >> kBucketBits;
  std::vector<KeyedRule> setAsideLow, setAsideHigh;
  bool highFilled = false;
  if (table.rules_.size() >= kParallelFillFrom) {
    try {
      std::thread high([&] { fill(table, kBuckets / 2, kBuckets, slots.size(), setAsideHigh); });
      fill(table, 0, kBuckets / 2, half, setAsideLow);
      high.join();
      highFilled = true;
    } catch (const std::system_error&) {
      setAsideLow.clear();  // no second thread to be had: fill it all here
    }
  }
  if (!highFilled) {
    fill(table, 0, kBuckets / 2, half, setAsideLow);
    fill(table, kBuckets / 2, kBuckets, slots.size(), setAsideHigh);
  }
  for (const std::vector<KeyedRule>* setAside : {&setAsideLow, &setAsideHigh}) {
    for (const KeyedRule& keyed : *setAside) {
      std::size_t slot = table.homeSlot(hashOf(keyed.tagWord, keyed.number));
      while (slots[slot].ruleIndexPlusOne != 0 &&
             (slots[slot].tagWord != keyed.tagWord || slots[slot].number != keyed.number)) {
        if (++slot == slots.size()) slot = 0;
      }
      if (slots[slot].ruleIndexPlusOne == 0) {
        slots[slot].tagWord = keyed.tagWord;
        slots[slot].number = keyed.number;
        slots[slot].ruleIndexPlusOne = keyed.index + 1;
      }
    }
  }
  return table;
}

}  // namespace vantrel
