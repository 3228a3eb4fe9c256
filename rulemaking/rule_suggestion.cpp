#include "rulemaking/rule_suggestion.h"

#include <algorithm>

#include "movie/movie_walk.h"
#include "rulemaking/rule_record.h"

namespace vantrel {
namespace {

// Hands every reference the walk reads to the tally.
class TallySink final : public ProgressSink {
 public:
  explicit TallySink(ArchiveTally& tally) : tally_(tally) {}
  void begin(std::uint32_t) override {}
  void step() override {}
  void referenceRead(const ReadReference& reference) override { tally_.add(reference); }

 private:
  ArchiveTally& tally_;
};

// The value held by the most movies among `values` but `skipped` (null for
// none), the first met on a tie; and whether another holds as many.
struct Leader {
  const ValueCount* value = nullptr;
  bool tied = false;
};

Leader leaderOf(const std::vector<const ValueCount*>& values, const ValueCount* skipped) {
  Leader leader;
  for (const ValueCount* value : values) {
    if (value == skipped) continue;
    if (leader.value == nullptr || value->movies > leader.value->movies) {
      leader = Leader{value, false};
    } else if (value->movies == leader.value->movies) {
      leader.tied = true;
    }
  }
  return leader;
}

}  // namespace

RuleSuggestion::RuleSuggestion(const SuggestThresholds& thresholds, const FixTable& existing)
    : thresholds_(thresholds), existing_(existing) {}

WalkOutcome RuleSuggestion::read(MovieStream& movie, const MovieLabel& label) {
  const FixTable noRules;
  WalkOptions options;
  options.dryRun = true;
  options.reportReferences = true;
  TallySink sink(tally_);
  const WalkOutcome outcome = walkMovie(movie, noRules, sink, options);
  if (outcome.result == WalkResult::Done) {
    tally_.keep(label);
  } else {
    tally_.drop();
  }
  return outcome;
}

SuggestTotals RuleSuggestion::finish(SuggestListener& listener) {
  totals_.movies = tally_.movies();
  totals_.keys = tally_.keys();
  tally_.forEachKey([&](const KeyCount& key) { decide(key, listener); });
  return totals_;
}

void RuleSuggestion::decide(const KeyCount& key, SuggestListener& listener) {
  if (key.values.size() < 2) return;
  ++totals_.varied;
  const Leader common = leaderOf(key.values, nullptr);
  if (common.tied) return;
  const std::uint64_t held = common.value->movies;
  if (held < thresholds_.minMovies) return;
  // Both sides stay far below 2^64: movies times 100.
  if (held * 100 < std::uint64_t{thresholds_.agreement} * key.movies) return;
  const ValueCount& old = *leaderOf(key.values, common.value).value;

  SuggestProblem problem;
  SuggestedRule& suggested = problem.suggestion;
  std::copy_n(key.tag, 4, suggested.rule.tag);
  suggested.rule.number = key.number;
  suggested.rule.oldValue = old.value;
  suggested.rule.newValue = common.value->value;
  suggested.rule.line = 0;
  suggested.movies = key.movies;
  suggested.old = old;
  suggested.common = *common.value;

  if (!ruleFileCanHoldTag(key.tag)) {
    problem.kind = SuggestProblemKind::Unwritable;
  } else if (const auto first = existing_.find(key.tag, key.number)) {
    const FixRule& rule = existing_.rule(*first);
    if (rule.oldValue == old.value && rule.newValue == common.value->value) {
      ++totals_.covered;
      return;
    }
    problem.kind = SuggestProblemKind::Differs;
    problem.rule = rule;
  } else {
    ++totals_.suggestions;
    listener.suggestion(suggested);
    if (key.values.size() == 2) return;
    problem.kind = SuggestProblemKind::MoreValues;
    problem.furtherValues = key.values.size() - 2;
    std::vector<const ValueCount*> further;
    for (const ValueCount* value : key.values) {
      if (value != common.value && value != &old) further.push_back(value);
    }
    problem.next = *leaderOf(further, nullptr).value;
  }
  ++totals_.problems;
  listener.problem(problem);
}

}  // namespace vantrel
