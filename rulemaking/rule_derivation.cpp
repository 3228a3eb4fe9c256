#include "rulemaking/rule_derivation.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "rulemaking/repair_check.h"
#include "rulemaking/rule_record.h"

namespace vantrel {
namespace {

std::uint64_t keyOf(const char tag[4], std::uint32_t number) {
  std::uint32_t tagWord = 0;
  std::memcpy(&tagWord, tag, 4);
  return std::uint64_t{tagWord} << 32 | number;
}

void tagOf(std::uint64_t key, char tag[4]) {
  const auto tagWord = static_cast<std::uint32_t>(key >> 32);
  std::memcpy(tag, &tagWord, 4);
}

std::uint32_t numberOf(std::uint64_t key) { return static_cast<std::uint32_t>(key); }

// What the first rule for a reference's tag and number leaves in it.
std::uint32_t afterRule(const FixRule* rule, std::uint32_t value) {
  return rule != nullptr && rule->oldValue == value ? rule->newValue : value;
}

DeriveProblem problemAt(DeriveProblemKind kind, std::uint64_t key, const Site& site,
                        std::uint32_t badValue, std::uint32_t goodValue) {
  DeriveProblem problem;
  problem.kind = kind;
  tagOf(key, problem.tag);
  problem.number = numberOf(key);
  problem.site = site;
  problem.badValue = badValue;
  problem.goodValue = goodValue;
  return problem;
}

}  // namespace

std::size_t RuleDerivation::KeptValueHash::operator()(const KeptValue& kept) const {
  return std::hash<std::uint64_t>()(kept.key * 0x9E3779B97F4A7C15u ^ kept.value);
}

// Hands the pairs of one pair of movies to the derivation, and tells of the
// references that have no partner.
class RuleDerivation::Pairing final : public PairingListener {
 public:
  Pairing(RuleDerivation& derivation, const MovieLabel& good, const MovieLabel& damaged)
      : derivation_(derivation), good_(good), damaged_(damaged) {}

  void paired(const HeldReference& good, const ReadReference& bad) override {
    derivation_.take(good, bad, damaged_);
  }
  void goodOnly(const HeldReference& good) override {
    layout(good.tag, good.number, good.value, good_, good.valueOffset, true, good.place);
  }
  void badOnly(const ReadReference& bad) override {
    layout(bad.tag, bad.number, bad.value, damaged_, bad.valueOffset, false,
           placeOf(bad.chunk, bad.element));
  }
  void bytesDiffer(const ByteDifference& difference) override {
    DeriveProblem problem;
    problem.site = Site{damaged_, difference.offset};
    problem.bytes = difference;
    ++derivation_.totals_.problems;
    derivation_.listener_.problem(problem);
  }

 private:
  void layout(const char tag[4], std::uint32_t number, std::uint32_t value, const MovieLabel& movie,
              std::uint64_t offset, bool inGood, ReferencePlace place) {
    DeriveProblem problem;
    std::copy_n(tag, 4, problem.tag);
    problem.number = number;
    problem.site = Site{movie, offset};
    problem.inGood = inGood;
    problem.place = place;
    (inGood ? problem.goodValue : problem.badValue) = value;
    ++derivation_.totals_.problems;
    derivation_.listener_.problem(problem);
  }

  RuleDerivation& derivation_;
  const MovieLabel& good_;
  const MovieLabel& damaged_;
};

RuleDerivation::RuleDerivation(const FixTable& existing, DeriveListener& listener)
    : existing_(existing), listener_(listener) {}

RuleDerivation::~RuleDerivation() = default;

PairWalks RuleDerivation::compare(FileDevice& good, FileDevice& damaged,
                                  const MovieLabel& goodLabel, const MovieLabel& damagedLabel) {
  Pairing pairing(*this, goodLabel, damagedLabel);
  return pairReferences(good, damaged, pairing);
}

// Keeps of each pair what the verdict on its tag and number needs.
void RuleDerivation::take(const HeldReference& good, const ReadReference& bad,
                          const MovieLabel& damaged) {
  const std::uint64_t pairNumber = ++totals_.compared;
  const bool differs = bad.value != good.value;
  totals_.differing += differs ? 1 : 0;
  const std::uint64_t key = keyOf(bad.tag, bad.number);
  const auto existing = existing_.find(bad.tag, bad.number);

  if (existing) {
    const FixRule& rule = existing_.rule(*existing);
    const bool fails = afterRule(&rule, bad.value) != good.value;
    if (!differs && !fails) return;
    KeySummary& summary = keys_[key];
    if (summary.firstNeed == 0) summary.firstNeed = pairNumber;
    summary.differing += differs ? 1 : 0;
    if (fails && !summary.existingFails) {
      summary.existingFails = Change{bad.value, good.value, Site{damaged, bad.valueOffset}};
    }
    return;
  }

  if (!differs) {
    kept_.try_emplace(KeptValue{key, good.value}, Site{damaged, bad.valueOffset});
    return;
  }
  KeySummary& summary = keys_[key];
  ++summary.differing;
  if (!summary.change) {
    summary.firstNeed = pairNumber;
    summary.change = Change{bad.value, good.value, Site{damaged, bad.valueOffset}};
  }
  if (summary.change->bad == bad.value && summary.change->good == good.value) {
    ++summary.sameChange;
  } else if (!summary.otherChange) {
    summary.otherChange = Change{bad.value, good.value, Site{damaged, bad.valueOffset}};
  }
}

DeriveTotals RuleDerivation::finish() {
  std::vector<std::pair<std::uint64_t, std::uint64_t>> order;  // first need, key
  order.reserve(keys_.size());
  for (const auto& [key, summary] : keys_) order.emplace_back(summary.firstNeed, key);
  std::sort(order.begin(), order.end());
  for (const auto& [firstNeed, key] : order) decide(key, keys_.at(key));
  keys_.clear();
  kept_.clear();
  return totals_;
}

void RuleDerivation::verify(FileDevice& good, FileDevice& damaged, const MovieLabel& damagedLabel) {
  if (!existingAndDerived_) {
    std::vector<FixRule> rules;
    rules.reserve(existing_.size() + derived_.size());
    for (std::size_t i = 0; i < existing_.size(); ++i) rules.push_back(existing_.rule(i));
    rules.insert(rules.end(), derived_.begin(), derived_.end());
    existingAndDerived_.emplace(std::move(rules));
  }
  const auto difference = differenceAfterRepair(good, damaged, *existingAndDerived_);
  if (!difference) return;
  DeriveProblem problem;
  problem.site = Site{damagedLabel, difference->offset};
  problem.bytes = difference;
  ++totals_.problems;
  listener_.problem(problem);
}

// The verdict on one tag and number. Each branch that repairs checks the
// rule that will come first for it against every pair, through the summary.
void RuleDerivation::decide(std::uint64_t key, KeySummary& summary) {
  char tag[4];
  tagOf(key, tag);
  if (const auto existing = existing_.find(tag, numberOf(key))) {
    // Every pair was held to this rule as it came.
    if (!summary.existingFails) {
      totals_.repaired += summary.differing;
      return;
    }
    const Change& failed = *summary.existingFails;
    DeriveProblem problem =
        problemAt(DeriveProblemKind::Shadowed, key, failed.site, failed.bad, failed.good);
    problem.rule = existing_.rule(*existing);
    ++totals_.problems;
    listener_.problem(problem);
    return;
  }

  // One change, made by every differing pair, whose bad value is right
  // nowhere: then the rule repairs each of them and leaves every right
  // value alone.
  const Change& change = *summary.change;
  DeriveProblem problem =
      problemAt(DeriveProblemKind::Conflict, key, change.site, change.bad, change.good);
  const auto keptBad = kept_.find(KeptValue{key, change.bad});
  if (summary.otherChange) {
    problem.otherBad = summary.otherChange->bad;
    problem.otherGood = summary.otherChange->good;
    problem.otherSite = summary.otherChange->site;
  } else if (keptBad != kept_.end()) {
    problem.otherIsKept = true;
    problem.otherBad = problem.otherGood = change.bad;
    problem.otherSite = keptBad->second;
  } else if (!ruleFileCanHoldTag(tag)) {
    problem.kind = DeriveProblemKind::Unwritable;
  } else {
    DerivedRule derived;
    std::copy_n(tag, 4, derived.rule.tag);
    derived.rule.number = numberOf(key);
    derived.rule.oldValue = change.bad;
    derived.rule.newValue = change.good;
    derived.rule.line = 0;
    derived.references = summary.sameChange;
    derived.first = change.site;
    totals_.repaired += summary.sameChange;
    ++totals_.rules;
    derived_.push_back(derived.rule);
    listener_.rule(derived);
    return;
  }
  ++totals_.problems;
  listener_.problem(problem);
}

}  // namespace vantrel
