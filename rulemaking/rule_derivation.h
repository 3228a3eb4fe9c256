#ifndef VANTREL_RULEMAKING_RULE_DERIVATION_H_
#define VANTREL_RULEMAKING_RULE_DERIVATION_H_

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "fixrules/fix_table.h"
#include "movie/movie_stream.h"
#include "rulemaking/movie_label.h"
#include "rulemaking/reference_pairing.h"

namespace vantrel {

// A value word in a movie.
struct Site {
  MovieLabel movie;
  std::uint64_t offset = 0;
};

// A rule to append to the rule file, and the pairs it repairs.
struct DerivedRule {
  FixRule rule;                  // `line` is 0: it has none yet
  std::uint64_t references = 0;  // pairs whose damaged value it turns into the good one
  Site first;                    // in the damaged movie, where it is first needed
};

enum class DeriveProblemKind {
  Layout,      // a reference with no partner of its tag and number at its offset, or bytes
               // that differ outside the references' value words
  Conflict,    // the pairs of a tag and number need more than one rule can do
  Shadowed,    // an existing rule for the tag and number decides it wrongly
  Unwritable,  // the rule file cannot hold the tag
};

// One problem. `site` is in the damaged movie, except for a layout problem
// of a reference that only the good copy holds (`inGood`).
struct DeriveProblem {
  DeriveProblemKind kind = DeriveProblemKind::Layout;
  char tag[4] = {};
  std::uint32_t number = 0;
  Site site;
  // Layout: where the reference lies and what it holds; or, for bytes that
  // differ outside any reference or after the rules (`bytes`), the first of
  // them (`site`), and the two files' sizes. Then `tag` and `number` say
  // nothing.
  bool inGood = false;
  ReferencePlace place = 0;
  std::optional<ByteDifference> bytes;
  // The others: the damaged and the good value at `site`.
  std::uint32_t badValue = 0;
  std::uint32_t goodValue = 0;
  // Conflict: a pair at `otherSite` that no rule can serve together with
  // the one at `site`: another change (otherBad -> otherGood), or, when
  // `otherIsKept`, a right value that equals the bad value at `site`.
  bool otherIsKept = false;
  std::uint32_t otherBad = 0;
  std::uint32_t otherGood = 0;
  Site otherSite;
  // Shadowed: the first existing rule for the tag and number.
  FixRule rule{};
};

// What a derivation tells its caller: layout problems while it compares
// the movies, then rules and the other problems, one for each tag and
// number that needs one, in the order in which the first pair needing it
// was met.
class DeriveListener {
 public:
  virtual ~DeriveListener() = default;
  virtual void rule(const DerivedRule& rule) = 0;
  virtual void problem(const DeriveProblem& problem) = 0;
};

struct DeriveTotals {
  std::uint64_t compared = 0;   // pairs of references compared
  std::uint64_t differing = 0;  // of them, pairs whose values differ
  std::uint64_t repaired = 0;   // differing pairs that the existing and new rules repair
  std::uint64_t rules = 0;      // rules derived
  std::uint64_t problems = 0;
};

// Derives the rules that turn damaged movies into their good copies, one
// pair of movies at a time, after the rules that `existing` holds (which
// come first, as they will once the new rules are appended to their file).
//
// Only a summary per tag and number is kept, never the pairs themselves,
// and it is made so that the verdict on each tag and number is a check of
// every pair: a rule is derived only when, after the existing rules, it
// turns each pair's damaged value into its good one and leaves each right
// value alone; an existing rule covers a tag and number only when it does
// the same. So when finish() reports no problem, applying the existing
// rules and then the derived ones to each damaged movie gives the good
// copy's value at every paired reference; and as every other byte of the
// two copies is the same, each damaged movie then becomes its good copy.
class RuleDerivation {
 public:
  RuleDerivation(const FixTable& existing, DeriveListener& listener);
  ~RuleDerivation();
  RuleDerivation(const RuleDerivation&) = delete;
  RuleDerivation& operator=(const RuleDerivation&) = delete;

  // Reads the good copy and its damaged copy once each, read-only, and
  // takes in every pair of references; layout problems are told at once,
  // and a difference anywhere but in the value words of paired references
  // is one too. The devices stay open.
  PairWalks compare(FileDevice& good, FileDevice& damaged, const MovieLabel& goodLabel,
                    const MovieLabel& damagedLabel);

  // Decides every tag and number and tells the listener; call once, after
  // every compare().
  DeriveTotals finish();

  // After finish(), when it found no problem, for each pair compared:
  // repairs the damaged copy in memory with the existing rules and the
  // derived ones, with the real walk, and compares the result with the good
  // copy. The pairs alone do not prove the rules, since a fix may change
  // what the repair reads after it (a value word that is also a count, a
  // kind word or part of another reference's value word); a byte that then
  // differs is a layout problem, told at once. The devices stay open.
  void verify(FileDevice& good, FileDevice& damaged, const MovieLabel& damagedLabel);

  // The totals so far, with the problems verify() found.
  const DeriveTotals& totals() const { return totals_; }

 private:
  // A pair of values at a site of the damaged movie.
  struct Change {
    std::uint32_t bad = 0;
    std::uint32_t good = 0;
    Site site;
  };
  // All that is kept of the pairs of one tag and number.
  struct KeySummary {
    std::uint64_t firstNeed = 0;  // the number of the first pair that needs a verdict
    std::uint64_t differing = 0;  // pairs whose values differ
    // With no existing rule: the first differing pair, how many pairs make
    // that same change, and the first that makes another.
    std::optional<Change> change;
    std::uint64_t sameChange = 0;
    std::optional<Change> otherChange;
    // With one: the first pair it does not turn into the good value.
    std::optional<Change> existingFails;
  };
  class Pairing;

  void take(const HeldReference& good, const ReadReference& bad, const MovieLabel& damaged);
  void decide(std::uint64_t key, KeySummary& summary);

  const FixTable& existing_;
  DeriveListener& listener_;
  std::vector<FixRule> derived_;                // in the order told
  std::optional<FixTable> existingAndDerived_;  // for verify(), made once
  DeriveTotals totals_;
  std::unordered_map<std::uint64_t, KeySummary> keys_;
  // The first place of each value that is right somewhere, by tag, number
  // and value, for the tags and numbers that no existing rule names.
  struct KeptValue {
    std::uint64_t key;
    std::uint32_t value;
    bool operator==(const KeptValue& other) const {
      return key == other.key && value == other.value;
    }
  };
  struct KeptValueHash {
    std::size_t operator()(const KeptValue& kept) const;
  };
  std::unordered_map<KeptValue, Site, KeptValueHash> kept_;
};

}  // namespace vantrel

#endif  // VANTREL_RULEMAKING_RULE_DERIVATION_H_
