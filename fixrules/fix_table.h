#ifndef VANTREL_FIXRULES_FIX_TABLE_H_
#define VANTREL_FIXRULES_FIX_TABLE_H_

#include <array>
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
  explicit FixTable(std::vector<FixRule> rules);

  const std::vector<FixRule>& rules() const { return rules_; }
  std::size_t size() const { return rules_.size(); }
  const FixRule& rule(std::size_t index) const { return rules_[index]; }

  // See findRule().
  std::optional<std::size_t> find(const char tag[4], std::uint32_t number) const;

  // How many slots the index of `ruleCount` rules has, and which of them a
  // tag and number start their search at; tests use these to crowd keys
  // where the index is filled in parts.
  static std::size_t slotCountFor(std::size_t ruleCount);
  static std::size_t homeSlotOf(const char tag[4], std::uint32_t number, std::size_t slotCount);

 private:
  friend class FixTableBuilder;

  struct Slot {
    // Left uninitialised when made: the build clears each stretch of the
    // table just before filling it, while it is in the cache.
    Slot() {}
    std::uint32_t tagWord;  // the tag's bytes, the first one lowest
    std::uint32_t number;
    std::uint32_t ruleIndexPlusOne;  // 0: an empty slot
  };
  std::size_t homeSlot(std::uint64_t hash) const { return homeSlotIn(hash, slots_.size()); }
  static std::size_t homeSlotIn(std::uint64_t hash, std::size_t slotCount);

  std::vector<FixRule> rules_;
  std::vector<Slot> slots_;  // open addressing with linear probing
};

// Makes a FixTable from rules handed over one at a time in file order. The
// index is prepared as the rules come, while each is still in the cache.
class FixTableBuilder {
 public:
  // `expectedRules` only sizes what is reserved.
  explicit FixTableBuilder(std::size_t expectedRules = 0);

  void add(const FixRule& rule);
  // Adds the rules of `later`, which follow these in the file.
  void append(FixTableBuilder&& later);
  FixTable build();

 private:
  // A rule's key, gathered by the top bits of its hash. The buckets' keys
  // have their home slots in bucket order, so the table is filled a cached
  // stretch at a time.
  struct KeyedRule {
    std::uint32_t tagWord;
    std::uint32_t number;
    std::uint32_t index;
  };
  static constexpr int kBucketBits = 8;
  static constexpr std::size_t kBuckets = std::size_t{1} << kBucketBits;
  using Buckets = std::array<std::vector<KeyedRule>, kBuckets>;
  // The buckets of rules appended from later builders, whose indices are
  // `indexShift` too low.
  struct LaterBuckets {
    Buckets buckets;
    std::uint32_t indexShift;
  };

  void fill(FixTable& table, std::size_t firstBucket, std::size_t endBucket, std::size_t slotEnd,
            std::vector<KeyedRule>& setAside) const;

  std::vector<FixRule> rules_;
  Buckets buckets_;
  std::vector<LaterBuckets> later_;
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
