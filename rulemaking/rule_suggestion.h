#ifndef VANTREL_RULEMAKING_RULE_SUGGESTION_H_
#define VANTREL_RULEMAKING_RULE_SUGGESTION_H_

#include <cstdint>

#include "fixrules/fix_table.h"
#include "movie/movie_stream.h"
#include "movie/walk_result.h"
#include "rulemaking/archive_tally.h"

namespace vantrel {

// How much agreement a suggestion needs.
struct SuggestThresholds {
  std::uint32_t agreement = 90;  // percent of the movies that hold the key, 1 to 100
  std::uint64_t minMovies = 5;   // movies that hold the common value, at least 1
};

// A rule the archive suggests for a tag and number (a key): its values
// held by fewer movies become the value most of them hold. The evidence is
// agreement, not proof: a person reads it before the rule is used.
struct SuggestedRule {
  FixRule rule;          // old value V, new value D; `line` is 0: it has none yet
  std::uint64_t movies;  // movies that hold the key
  ValueCount old;        // what the archive holds of V
  ValueCount common;     // and of D
};

enum class SuggestProblemKind {
  MoreValues,  // the key got its suggestion, but holds further values no first rule can serve
  Unwritable,  // the key would get a suggestion, but the rule file cannot hold its tag
  Differs,     // the key would get a suggestion, but the rule file's first rule for it is another
};

struct SuggestProblem {
  SuggestProblemKind kind = SuggestProblemKind::MoreValues;
  SuggestedRule suggestion{};  // the rule the archive suggests (or would) for the key
  // MoreValues: how many values besides V and D, and the one that holds
  // the most movies of them (the one met first, on a tie): suggested next,
  // once the movies are repaired with this suggestion.
  std::uint64_t furtherValues = 0;
  ValueCount next;
  // Differs: the first rule for the key in the rule file.
  FixRule rule{};
};

// What a suggestion tells, for each key with more than one value that gets
// a suggestion or a problem, in the order the key was first met: the
// suggestion first and then, for that key, its problem.
class SuggestListener {
 public:
  virtual ~SuggestListener() = default;
  virtual void suggestion(const SuggestedRule& suggested) = 0;
  virtual void problem(const SuggestProblem& problem) = 0;
};

struct SuggestTotals {
  std::uint64_t movies = 0;       // movies read in full
  std::uint64_t keys = 0;         // tags and numbers seen
  std::uint64_t varied = 0;       // of them, those holding more than one value
  std::uint64_t suggestions = 0;  // rules suggested
  std::uint64_t covered = 0;      // keys whose suggestion the rule file already holds
  std::uint64_t problems = 0;
};

// Suggests rules from what an archive of movies agrees on, with no good
// copy: for each key, the value most movies hold is taken for the right
// one. Each movie is walked once, read-only and with no rules, as
// --references lists it without rules; the suggestions come once every
// movie is read.
//
// A key with more than one value gets a suggestion when one value D is
// held by more movies than any other, by at least `minMovies` movies and
// by at least `agreement` percent of the movies that hold the key (a movie
// that holds two of its values counts for both). The rule is V -> D, V
// being the value held by the most movies of the others (the first met, on
// a tie). Since only the first rule for a key is consulted, further values
// of the key are a MoreValues problem. A tag the rule file cannot hold is
// Unwritable instead; a key whose first rule in `existing` is already
// V -> D is covered and gets nothing, and one whose first rule is any other
// is Differs.
class RuleSuggestion {
 public:
  RuleSuggestion(const SuggestThresholds& thresholds, const FixTable& existing);

  // Walks one movie; its references count only when the walk ends Done.
  WalkOutcome read(MovieStream& movie, const MovieLabel& label);

  // Decides every key and tells `listener`; call once, last.
  SuggestTotals finish(SuggestListener& listener);

 private:
  void decide(const KeyCount& key, SuggestListener& listener);

  SuggestThresholds thresholds_;
  const FixTable& existing_;
  ArchiveTally tally_;
  SuggestTotals totals_;
};

}  // namespace vantrel

#endif  // VANTREL_RULEMAKING_RULE_SUGGESTION_H_
