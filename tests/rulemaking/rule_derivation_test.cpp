// The derivation of rules from good and damaged movies, held to the plain
// model of it on random movies damaged in consistent and conflicting ways,
// and proven by repairing the damaged movies with what it derived.
#include "rulemaking/rule_derivation.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>

#include "fixrules/fix_loader.h"
#include "movie/le_word.h"
#include "rulemaking/rule_record.h"
#include "tests/support/memory_device.h"
#include "tests/support/model_derivation.h"
#include "tests/support/model_walk.h"
#include "tests/support/random_movies.h"
#include "tests/support/sample_movies.h"

namespace vantrel {
namespace {

using namespace moviekit;

std::array<unsigned char, 4> tagArray(const char tag[4]) {
  std::array<unsigned char, 4> bytes{};
  std::copy_n(reinterpret_cast<const unsigned char*>(tag), 4, bytes.begin());
  return bytes;
}

// Keeps what the derivation tells, in the model's terms; a movie's label is
// "good N" or "bad N" for the N-th pair.
class Recorder final : public DeriveListener {
 public:
  void rule(const DerivedRule& derived) override {
    ModelFinding found = at("rule", derived.rule.tag, derived.rule.number, derived.first);
    found.oldValue = derived.rule.oldValue;
    found.newValue = derived.rule.newValue;
    found.references = derived.references;
    findings.push_back(found);
    rules.push_back(derived.rule);
  }
  void problem(const DeriveProblem& problem) override {
    static const std::map<DeriveProblemKind, std::string> kinds = {
        {DeriveProblemKind::Layout, "layout"},
        {DeriveProblemKind::Conflict, "conflict"},
        {DeriveProblemKind::Shadowed, "shadowed"},
        {DeriveProblemKind::Unwritable, "unwritable"}};
    ModelFinding found = at(kinds.at(problem.kind), problem.tag, problem.number, problem.site);
    found.inGood = problem.inGood;
    found.bytes = problem.bytes.has_value();
    if (problem.kind == DeriveProblemKind::Shadowed) found.line = problem.rule.line;
    EXPECT_EQ(problem.site.movie->rfind(problem.inGood ? "good " : "bad ", 0), 0u);
    findings.push_back(found);
  }

  std::vector<ModelFinding> findings;
  std::vector<FixRule> rules;

 private:
  static ModelFinding at(const std::string& kind, const char tag[4], std::uint32_t number,
                         const Site& site) {
    ModelFinding found;
    found.kind = kind;
    found.tag = tagArray(tag);
    found.number = number;
    found.moviePair = std::stoul(site.movie->substr(site.movie->find(' ') + 1));
    found.offset = site.offset;
    return found;
  }
};

struct Derived {
  std::vector<ModelFinding> findings;
  std::vector<FixRule> rules;
  DeriveTotals totals;
};

Derived derive(std::vector<std::pair<Bytes, Bytes>> pairs, const std::vector<FixRule>& existing) {
  const FixTable table(existing);
  Recorder recorder;
  RuleDerivation derivation(table, recorder);
  for (std::size_t m = 0; m < pairs.size(); ++m) {
    MemoryDevice good(pairs[m].first, false);
    MemoryDevice bad(pairs[m].second, false);
    const PairWalks walks =
        derivation.compare(good, bad, std::make_shared<std::string>("good " + std::to_string(m)),
                           std::make_shared<std::string>("bad " + std::to_string(m)));
    // As the walk model reads them; the damaged copy is walked only after a good copy is read.
    const WalkResult goodResult = modelWalk(pairs[m].first, {}, true).result;
    EXPECT_EQ(walks.good.result, goodResult);
    if (goodResult == WalkResult::Done) {
      EXPECT_EQ(walks.bad.value_or(WalkOutcome{}).result,
                modelWalk(pairs[m].second, {}, true).result);
    }
  }
  derivation.finish();
  // As the command line does, when nothing else was found.
  bool allWalked = true;
  for (const auto& [good, bad] : pairs) {
    allWalked = allWalked && modelWalk(good, {}, true).result == WalkResult::Done &&
                modelWalk(bad, {}, true).result == WalkResult::Done;
  }
  if (derivation.totals().problems == 0 && allWalked) {
    for (std::size_t m = 0; m < pairs.size(); ++m) {
      MemoryDevice good(pairs[m].first, false);
      MemoryDevice bad(pairs[m].second, false);
      derivation.verify(good, bad, std::make_shared<std::string>("bad " + std::to_string(m)));
    }
  }
  return Derived{std::move(recorder.findings), std::move(recorder.rules), derivation.totals()};
}

// Tags that the rule file cannot hold, and one it can that holds a line feed.
const std::vector<std::string> kOddTags = {std::string("A\r\nB"),
                                           std::string("\x1a"
                                                       "SND"),
                                           std::string("AB\nC"), std::string("\r\r\n ")};

// A good movie from a random scenario: sometimes with a reference renamed
// to an odd tag in it.
Bytes goodMovie(const BuiltMovie& built, std::mt19937& random) {
  Bytes bytes = built.bytes;
  if (!built.references.empty() && random() % 4 == 0) {
    const PlacedReference& placed = built.references[random() % built.references.size()];
    const std::string& tag = kOddTags[random() % kOddTags.size()];
    std::copy(tag.begin(), tag.end(), bytes.begin() + static_cast<long>(placed.offset + 8));
  }
  return bytes;
}

// The damaged copy. Consistently: for some tags and numbers, the references
// that hold one of its values get one bad value that it holds nowhere, so a
// rule can repair them. Otherwise: any reference may get any value, and
// sometimes a reference is renamed, which no rule can pair.
Bytes damagedCopy(const Bytes& good, bool consistent, std::mt19937& random) {
  Bytes bad = good;
  const ModelWalk walk = modelWalk(good, {}, true);
  std::map<std::pair<std::array<unsigned char, 4>, std::uint32_t>, std::uint32_t> victims;
  for (const ModelReference& reference : walk.references) {
    victims.emplace(std::make_pair(reference.tag, reference.number), reference.value);
  }
  std::uint32_t nextBadValue = 0x7A000000u;
  std::map<std::uint32_t, std::uint32_t> badValueOf;
  for (const ModelReference& reference : walk.references) {
    unsigned char* value = bad.data() + reference.valueOffset;
    if (consistent) {
      const std::uint32_t victim = victims.at({reference.tag, reference.number});
      if (reference.value != victim || random() % 3 == 0) continue;
      if (!badValueOf.count(victim)) badValueOf[victim] = nextBadValue++ | (random() % 2) << 31;
      writeLe32(badValueOf[victim], value);
    } else if (random() % 4 == 0) {
      static const std::uint32_t values[] = {0, 2, 5, 0x80000000u, 0xFFFFFFFFu, 7};
      writeLe32(values[random() % 6], value);
    }
  }
  if (!consistent && !walk.references.empty() && random() % 4 == 0) {
    const ModelReference& renamed = walk.references[random() % walk.references.size()];
    std::copy_n("ZZZZ", 4, bad.begin() + static_cast<long>(renamed.valueOffset + 8));
  }
  return bad;
}

// Existing rules: none, some of the rules that repair the pairs (which then
// cover their tags and numbers), or the scenario's own random ones.
std::vector<FixRule> existingRules(int round, const std::vector<std::pair<Bytes, Bytes>>& pairs,
                                   const Scenario& scenario, std::mt19937& random) {
  if (round % 3 == 0) return {};
  if (round % 3 == 2) return toFixRules(scenario.rules);
  std::vector<FixRule> some;
  for (const FixRule& rule : modelDerive(pairs, {}).rules) {
    if (random() % 2 == 0) some.push_back(rule);
  }
  if (random() % 2 == 0) some.push_back(toFixRules(scenario.rules).front());
  for (std::size_t i = 0; i < some.size(); ++i) some[i].line = static_cast<long long>(i) + 1;
  return some;
}

TEST(RuleDerivationTest, AgreesWithTheModelAndRepairsEveryDamagedMovie) {
  std::mt19937 random(1616);
  std::map<std::string, int> kindsSeen;
  int roundTrips = 0;
  int rulesCovered = 0;
  for (int round = 0; round < 400; ++round) {
    std::vector<std::pair<Bytes, Bytes>> pairs;
    Scenario scenario;
    for (int m = 0; m < 1 + (round % 4 == 3); ++m) {
      scenario = randomScenario(random);
      const Bytes good = goodMovie(scenario.movie, random);
      pairs.emplace_back(good, damagedCopy(good, round % 2 == 0, random));
    }
    if (scenario.rules.empty()) scenario.rules.push_back({"SND ", 1, 2, 5});
    const std::vector<FixRule> existing = existingRules(round, pairs, scenario, random);
    SCOPED_TRACE("round " + std::to_string(round));

    const ModelDerivation model = modelDerive(pairs, existing);
    const Derived derived = derive(pairs, existing);
    ASSERT_EQ(derived.findings.size(), model.findings.size());
    for (std::size_t i = 0; i < model.findings.size(); ++i) {
      ASSERT_EQ(derived.findings[i], model.findings[i])
          << describe(derived.findings[i]) << "\nexpected " << describe(model.findings[i]);
      ++kindsSeen[model.findings[i].kind];
    }
    EXPECT_EQ(derived.totals.compared, model.compared);
    EXPECT_EQ(derived.totals.differing, model.differing);
    EXPECT_EQ(derived.totals.rules, model.rules.size());
    EXPECT_EQ(derived.totals.problems, model.findings.size() - model.rules.size());

    // The promise: with no problem, the existing rules and then the new
    // ones turn each damaged movie into its good copy, byte for byte.
    if (derived.totals.problems != 0) continue;
    EXPECT_EQ(derived.totals.repaired, derived.totals.differing);
    std::vector<FixRule> all = existing;
    all.insert(all.end(), derived.rules.begin(), derived.rules.end());
    for (const auto& [good, bad] : pairs) {
      ASSERT_EQ(modelWalk(bad, all).bytes, good);
    }
    ++roundTrips;
    rulesCovered += derived.totals.repaired > 0 && derived.rules.empty() ? 1 : 0;
  }
  // Or the comparison proves little.
  EXPECT_GT(roundTrips, 100);
  EXPECT_GT(rulesCovered, 5);
  for (const char* kind : {"rule", "layout", "conflict", "shadowed", "unwritable"}) {
    EXPECT_GT(kindsSeen[kind], 10) << kind;
  }
}

// What agreesAndKeepsThePromise() saw.
struct Promise {
  bool made = false;                  // no problem was found, and every movie was walked
  bool fixesReadAsStructure = false;  // a fix of the repair lay over a byte read otherwise
};

// Holds the derivation to the model on `pairs`, and, when it finds no
// problem, repairs each damaged movie with the existing and derived rules
// by the walk model: each must then be its good copy, byte for byte.
Promise agreesAndKeepsThePromise(const std::vector<std::pair<Bytes, Bytes>>& pairs,
                                 const std::vector<FixRule>& existing,
                                 std::map<std::string, int>& kindsSeen) {
  Promise promise;
  const ModelDerivation model = modelDerive(pairs, existing);
  const Derived derived = derive(pairs, existing);
  EXPECT_EQ(derived.findings.size(), model.findings.size());
  if (derived.findings.size() != model.findings.size()) return promise;
  for (std::size_t i = 0; i < model.findings.size(); ++i) {
    EXPECT_EQ(derived.findings[i], model.findings[i])
        << describe(derived.findings[i]) << "\nexpected " << describe(model.findings[i]);
    ++kindsSeen[model.findings[i].kind + (model.findings[i].bytes ? " bytes" : "")];
  }
  EXPECT_EQ(derived.totals.problems, model.findings.size() - model.rules.size());
  if (derived.totals.problems != 0) return promise;
  // A movie that cannot be walked fails the run (exit code 3): no promise is made.
  for (const auto& [good, bad] : pairs) {
    if (modelWalk(good, {}, true).result != WalkResult::Done ||
        modelWalk(bad, {}, true).result != WalkResult::Done) {
      return promise;
    }
  }
  promise.made = true;
  EXPECT_EQ(derived.totals.repaired, derived.totals.differing);
  std::vector<FixRule> all = existing;
  all.insert(all.end(), derived.rules.begin(), derived.rules.end());
  for (const auto& [good, bad] : pairs) {
    const ModelWalk repair = modelWalk(bad, all);
    EXPECT_EQ(repair.bytes, good);
    if (!patchesTouchNothingElseRead(bad, all, repair)) promise.fixesReadAsStructure = true;
  }
  return promise;
}

// The byte that is both an 'ACTR' value word and the kind word of the
// element before it: the two walks read the element's reference at two
// offsets, so it has no partner, and no rule may be derived for it.
TEST(RuleDerivationTest, AnElementReadAtAnotherOffsetIsALayoutProblem) {
  const KindWordPair pair = kindWordIsAValueWordPair();
  const Derived derived = derive({{pair.good, pair.damaged}}, {});
  const std::uint64_t element = pair.kindWordAt - 4;
  ASSERT_EQ(derived.findings.size(), 3u);
  EXPECT_EQ(derived.findings[0].kind, "layout");
  EXPECT_TRUE(derived.findings[0].inGood);
  EXPECT_EQ(derived.findings[0].offset, element + 28);
  EXPECT_EQ(derived.findings[1].kind, "layout");
  EXPECT_FALSE(derived.findings[1].inGood);
  EXPECT_EQ(derived.findings[1].offset, element + 8);
  EXPECT_EQ(derived.findings[2].kind, "rule");  // the 'ACTR' reference itself pairs
  EXPECT_EQ(derived.findings[2].offset, pair.kindWordAt);
  EXPECT_EQ(derived.totals.problems, 2u);
  std::map<std::string, int> kindsSeen;
  EXPECT_FALSE(agreesAndKeepsThePromise({{pair.good, pair.damaged}}, {}, kindsSeen).made);
}

// Rules that each pair needs, but that do not repair the movie together:
// the repair, checked in memory, leaves a byte of the good copy unmade.
TEST(RuleDerivationTest, RulesThatDoNotRepairTheMovieTogetherAreALayoutProblem) {
  const OverlapPair pair = overlappingValueWordsPair();
  const Derived derived = derive({{pair.good, pair.damaged}}, {});
  ASSERT_EQ(derived.findings.size(), 3u);
  EXPECT_EQ(derived.findings[0].kind, "rule");
  EXPECT_EQ(derived.findings[1].kind, "rule");
  EXPECT_EQ(derived.findings[2].kind, "layout");
  EXPECT_TRUE(derived.findings[2].bytes);
  EXPECT_EQ(derived.findings[2].offset, pair.firstByteAt);
  EXPECT_EQ(derived.totals.problems, 1u);
  // So the model says, and so a repair by the walk model does.
  EXPECT_EQ(derived.findings, modelDerive({{pair.good, pair.damaged}}, {}).findings);
  const Bytes repaired = modelWalk(pair.damaged, derived.rules).bytes;
  EXPECT_NE(repaired, pair.good);
  EXPECT_NE(repaired[pair.firstByteAt], pair.good[pair.firstByteAt]);
}

// Movies whose structure differs where the walk reads it: a good copy whose
// own structure was overwritten (so that value words come to lie over kind
// words, counts and offsets, and a changed value changes the walk), damaged
// in its values; or a damaged copy whose structure was overwritten. Whenever
// the derivation finds no problem, its rules repair each damaged movie.
TEST(RuleDerivationTest, StructureThatDiffersWhereTheWalkReadsItNeverBreaksThePromise) {
  std::mt19937 random(2121);
  std::map<std::string, int> kindsSeen;
  int roundTrips = 0;
  int overlaps = 0;
  int fixesOverStructure = 0;
  for (int round = 0; round < 1500; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const Scenario scenario = randomScenario(random);
    Bytes good = scenario.movie.bytes;
    Bytes bad;
    if (round % 3 != 2) {
      overwriteStructure(scenario.movie, good, random, 1 + static_cast<int>(random() % 4));
      const ModelWalk walk = modelWalk(good, {}, true);
      if (walk.result != WalkResult::Done || walk.references.empty()) continue;
      // Each reference's value word, changed where the walk also reads it
      // for another purpose, or at random.
      bad = good;
      for (const ModelReference& reference : walk.references) {
        FixRule rule{{}, reference.number, reference.value, reference.value ^ 1u, 1};
        std::copy(reference.tag.begin(), reference.tag.end(), rule.tag);
        const bool overStructure =
            !patchesTouchNothingElseRead(good, {rule}, modelWalk(good, {rule}));
        overlaps += overStructure ? 1 : 0;
        if (overStructure || random() % 3 == 0) {
          writeLe32(readLe32(&bad[reference.valueOffset]) ^ (1u << (random() % 3)),
                    &bad[reference.valueOffset]);
        }
      }
    } else {
      bad = damagedCopy(good, true, random);
      overwriteStructure(scenario.movie, bad, random, 1);
    }
    const Promise promise = agreesAndKeepsThePromise({{good, bad}}, {}, kindsSeen);
    roundTrips += promise.made ? 1 : 0;
    fixesOverStructure += promise.fixesReadAsStructure ? 1 : 0;
  }
  EXPECT_GT(roundTrips, 50);
  EXPECT_GT(overlaps, 20);
  EXPECT_GT(fixesOverStructure, 5);
  EXPECT_GT(kindsSeen["layout"], 50);
  EXPECT_GT(kindsSeen["layout bytes"], 50);
  EXPECT_GT(kindsSeen["rule"], 50);
}

// Whether the rule file reads the record back as exactly this rule, alone
// and after another record.
bool readsBack(const FixRule& rule) {
  FixRule before{{'P', 'R', 'E', 'V'}, 1, 2, 3, 0};
  const FixLoad load = parseFixText(ruleRecordText(before) + ruleRecordText(rule));
  if (load.badLine || load.table.size() != 2) return false;
  const FixRule& read = load.table.rule(1);
  return std::equal(rule.tag, rule.tag + 4, read.tag) && read.number == rule.number &&
         read.oldValue == rule.oldValue && read.newValue == rule.newValue;
}

TEST(RuleRecordTest, TheRuleFileHoldsExactlyTheTagsItReadsBack) {
  const char bytes[] = {'\r', '\n', '\x1a', ' ', 'A', '-', '0', '\0', '\xff', '\t', '\x0b'};
  int unwritable = 0;
  for (const char a : bytes) {
    for (const char b : bytes) {
      for (const char c : bytes) {
        for (const char d : bytes) {
          const FixRule rule{{a, b, c, d}, 0x80000000u, 0xFFFFFFFFu, 7, 0};
          ASSERT_EQ(ruleFileCanHoldTag(rule.tag), readsBack(rule))
              << std::string(rule.tag, 4) << " (" << int(a) << int(b) << int(c) << int(d) << ")";
          unwritable += ruleFileCanHoldTag(rule.tag) ? 0 : 1;
        }
      }
    }
  }
  EXPECT_GT(unwritable, 1000);
  EXPECT_EQ(ruleRecordText(FixRule{{'N', 'E', 'G', ' '}, 0xFFFFFFFDu, 0x80000000u, 0xFFFFFFF9u, 0}),
            "-NEG  -3 -2147483648 -7\n");
}

}  // namespace
}  // namespace vantrel
