// Rules suggested from what an archive agrees on, held to the plain model
// of it on random archives, at its thresholds, and over a repair with what
// it suggested.
#include "rulemaking/rule_suggestion.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

#include "tests/support/memory_device.h"
#include "tests/support/model_suggestion.h"
#include "tests/support/model_walk.h"
#include "tests/support/random_archives.h"

namespace vantrel {
namespace {

using namespace moviekit;

// Keeps what the suggestion tells, in the model's terms; a movie's label
// is its place in the archive.
class Recorder final : public SuggestListener {
 public:
  void suggestion(const SuggestedRule& suggested) override {
    findings.push_back(finding("suggestion", suggested));
  }
  void problem(const SuggestProblem& problem) override {
    static const std::map<SuggestProblemKind, std::string> kinds = {
        {SuggestProblemKind::MoreValues, "more-values"},
        {SuggestProblemKind::Unwritable, "unwritable"},
        {SuggestProblemKind::Differs, "differs"}};
    ModelSuggestFinding found = finding(kinds.at(problem.kind), problem.suggestion);
    if (problem.kind == SuggestProblemKind::Differs) found.line = problem.rule.line;
    if (problem.kind == SuggestProblemKind::MoreValues) {
      found.nextValue = problem.next.value;
      EXPECT_GT(problem.furtherValues, 0u);
      EXPECT_LT(problem.next.movies, problem.suggestion.common.movies);
    }
    findings.push_back(found);
  }

  std::vector<ModelSuggestFinding> findings;

 private:
  static ModelSuggestFinding finding(const std::string& kind, const SuggestedRule& suggested) {
    ModelSuggestFinding found;
    found.kind = kind;
    std::copy_n(suggested.rule.tag, 4, found.tag.begin());
    found.number = suggested.rule.number;
    found.oldValue = suggested.rule.oldValue;
    found.newValue = suggested.rule.newValue;
    EXPECT_EQ(suggested.old.value, found.oldValue);
    EXPECT_EQ(suggested.common.value, found.newValue);
    found.movies = suggested.movies;
    found.oldMovies = suggested.old.movies;
    found.newMovies = suggested.common.movies;
    found.oldReferences = suggested.old.references;
    found.newReferences = suggested.common.references;
    for (std::size_t i = 0; i < suggested.old.exampleCount(); ++i) {
      found.examples.push_back(std::stoul(*suggested.old.examples[i]));
    }
    return found;
  }
};

struct Suggested {
  std::vector<ModelSuggestFinding> findings;
  SuggestTotals totals;
};

Suggested suggest(std::vector<Bytes> movies, std::uint32_t agreement, std::uint64_t minMovies,
                  const std::vector<FixRule>& existing) {
  const FixTable table(existing);
  RuleSuggestion suggestion(SuggestThresholds{agreement, minMovies}, table);
  for (std::size_t m = 0; m < movies.size(); ++m) {
    MovieStream movie(std::make_unique<MemoryDevice>(movies[m], false));
    const WalkOutcome outcome =
        suggestion.read(movie, std::make_shared<const std::string>(std::to_string(m)));
    EXPECT_EQ(outcome.result, modelWalk(movies[m], {}, true).result) << "movie " << m;
  }
  Recorder recorder;
  const SuggestTotals totals = suggestion.finish(recorder);
  return Suggested{std::move(recorder.findings), totals};
}

void expectSameFindings(const std::vector<ModelSuggestFinding>& found,
                        const std::vector<ModelSuggestFinding>& expected) {
  ASSERT_EQ(found.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    ASSERT_EQ(found[i], expected[i])
        << describe(found[i]) << "\nexpected " << describe(expected[i]);
  }
}

TEST(RuleSuggestionTest, AgreesWithTheModelOnRandomArchives) {
  std::mt19937 random(2323);
  std::map<std::string, int> kindsSeen;
  int notValid = 0;
  for (int round = 0; round < 600; ++round) {
    const RandomArchive archive = randomArchive(random);
    std::vector<FixRule> existing;
    if (round % 3 != 0) {
      existing = rulesFor(
          modelSuggest(archive.movies, archive.agreement, archive.minMovies, {}).rules, random);
    }
    SCOPED_TRACE("round " + std::to_string(round) + ", agreement " +
                 std::to_string(archive.agreement) + ", min movies " +
                 std::to_string(archive.minMovies));
    const ModelSuggestion model =
        modelSuggest(archive.movies, archive.agreement, archive.minMovies, existing);
    const Suggested suggested =
        suggest(archive.movies, archive.agreement, archive.minMovies, existing);
    expectSameFindings(suggested.findings, model.findings);
    EXPECT_EQ(suggested.totals.movies, model.movies);
    EXPECT_EQ(suggested.totals.keys, model.keys);
    EXPECT_EQ(suggested.totals.varied, model.varied);
    EXPECT_EQ(suggested.totals.covered, model.covered);
    EXPECT_EQ(suggested.totals.suggestions, model.rules.size());
    EXPECT_EQ(suggested.totals.problems, model.findings.size() - model.rules.size());
    for (const ModelSuggestFinding& finding : model.findings) ++kindsSeen[finding.kind];
    notValid += static_cast<int>(archive.movies.size() - model.movies);
  }
  // Or the comparison proves little.
  for (const char* kind : {"suggestion", "more-values", "unwritable", "differs"}) {
    EXPECT_GT(kindsSeen[kind], 20) << kind;
  }
  EXPECT_GT(notValid, 50);
}

// Ten movies that hold 'SND ' 12, nine of them 44100 and one 4410, and
// others as each case says; the thresholds at their edges.
TEST(RuleSuggestionTest, SuggestsExactlyAtTheThresholds) {
  const auto movieWith = [](std::vector<std::uint32_t> values) {
    MovieBuilder builder;
    for (const std::uint32_t value : values) builder.addActr(Reference{value, "SND ", 12});
    return builder.build().bytes;
  };
  struct Case {
    const char* what;
    std::vector<std::vector<std::uint32_t>> extra;  // movies after the ten
    std::uint32_t agreement;
    std::uint64_t minMovies;
    bool suggested;
  };
  const std::vector<Case> cases = {
      {"9 of 10 at 90%", {}, 90, 9, true},
      {"9 of 10 at 91%", {}, 91, 1, false},
      {"9 movies, at least 10", {}, 1, 10, false},
      {"all 10 movies at 100%", {}, 100, 1, false},
      {"a movie with both counts for both", {{44100, 4410}}, 90, 10, true},
      {"a movie with both, 91%", {{44100, 4410}}, 91, 1, false},
      {"one more bad movie, 9 of 11", {{4410}}, 81, 1, true},
      {"one more bad movie, 82%", {{4410}}, 82, 1, false},
  };
  for (const Case& c : cases) {
    std::vector<Bytes> movies;
    for (int m = 0; m < 10; ++m) movies.push_back(movieWith({m == 3 ? 4410u : 44100u}));
    for (const auto& values : c.extra) movies.push_back(movieWith(values));
    if (std::string(c.what).rfind("all", 0) == 0) movies[3] = movieWith({44100});
    const Suggested suggested = suggest(movies, c.agreement, c.minMovies, {});
    EXPECT_EQ(suggested.totals.suggestions, c.suggested ? 1u : 0u) << c.what;
    expectSameFindings(suggested.findings,
                       modelSuggest(movies, c.agreement, c.minMovies, {}).findings);
  }
}

// What a repair with the suggestions leaves: none of their keys is
// suggested again, but a key with more values, whose next value is.
TEST(RuleSuggestionTest, AnArchiveRepairedWithItsSuggestionsSuggestsOnlyTheNextValues) {
  std::mt19937 random(2324);
  int nextSuggested = 0;
  int settled = 0;
  for (int round = 0; round < 600; ++round) {
    const RandomArchive archive = randomArchive(random);
    const Suggested first = suggest(archive.movies, archive.agreement, archive.minMovies, {});
    std::vector<FixRule> rules;
    std::map<std::pair<std::array<unsigned char, 4>, std::uint32_t>, const ModelSuggestFinding*>
        firstOf;
    for (const ModelSuggestFinding& finding : first.findings) {
      firstOf[{finding.tag, finding.number}] = &finding;  // more-values comes after its rule
      if (finding.kind != "suggestion") continue;
      FixRule rule{};
      std::copy(finding.tag.begin(), finding.tag.end(), rule.tag);
      rule.number = finding.number;
      rule.oldValue = finding.oldValue;
      rule.newValue = finding.newValue;
      rules.push_back(rule);
    }
    std::vector<Bytes> repaired;
    for (const Bytes& movie : archive.movies) {
      const ModelWalk walk = modelWalk(movie, rules);
      repaired.push_back(walk.result == WalkResult::Done ? walk.bytes : movie);
    }
    const Suggested again = suggest(repaired, archive.agreement, archive.minMovies, {});
    for (const ModelSuggestFinding& finding : again.findings) {
      const auto before = firstOf.find({finding.tag, finding.number});
      ASSERT_NE(before, firstOf.end()) << describe(finding);
      const ModelSuggestFinding& was = *before->second;
      if (was.kind == "more-values") {
        if (finding.kind != "suggestion") continue;
        EXPECT_EQ(finding.oldValue, was.nextValue) << describe(finding);
        EXPECT_EQ(finding.newValue, was.newValue) << describe(finding);
        ++nextSuggested;
      } else {
        // Untouched keys are judged as before.
        EXPECT_NE(was.kind, "suggestion") << describe(finding);
        EXPECT_EQ(finding, was) << describe(finding);
      }
    }
    for (const auto& [key, was] : firstOf) {
      if (was->kind == "suggestion") ++settled;
    }
  }
  EXPECT_GT(nextSuggested, 20);
  EXPECT_GT(settled, 100);
}

}  // namespace
}  // namespace vantrel
