#include "tests/support/model_suggestion.h"

#include <algorithm>
#include <map>
#include <set>
#include <utility>

#include "tests/support/model_rules.h"
#include "tests/support/model_walk.h"

namespace vantrel::moviekit {
namespace {

using Key = std::pair<std::array<unsigned char, 4>, std::uint32_t>;

struct Held {
  std::size_t movie;
  Key key;
  std::uint32_t value;
};

const FixRule* firstRule(const std::vector<FixRule>& rules, const Key& key) {
  return moviekit::firstRule(rules, key.first, key.second);
}

// Every value of one key, in the order first met, with the movies holding
// each (in order) and its references.
struct ValueSeen {
  std::uint32_t value;
  std::vector<std::size_t> movies;
  std::uint64_t references;
};

std::vector<ValueSeen> valuesOf(const std::vector<Held>& all, const Key& key) {
  std::vector<ValueSeen> values;
  for (const Held& held : all) {
    if (held.key != key) continue;
    auto seen = std::find_if(values.begin(), values.end(),
                             [&](const ValueSeen& v) { return v.value == held.value; });
    if (seen == values.end()) {
      values.push_back(ValueSeen{held.value, {}, 0});
      seen = values.end() - 1;
    }
    ++seen->references;
    if (std::find(seen->movies.begin(), seen->movies.end(), held.movie) == seen->movies.end()) {
      seen->movies.push_back(held.movie);
    }
  }
  return values;
}

// The index of the value held by the most movies, the first on a tie,
// leaving out those `skipped`.
std::size_t most(const std::vector<ValueSeen>& values, const std::set<std::size_t>& skipped) {
  std::size_t best = values.size();
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (skipped.count(i) != 0) continue;
    if (best == values.size() || values[i].movies.size() > values[best].movies.size()) best = i;
  }
  return best;
}

}  // namespace

bool ModelSuggestFinding::operator==(const ModelSuggestFinding& other) const {
  return kind == other.kind && tag == other.tag && number == other.number &&
         oldValue == other.oldValue && newValue == other.newValue && movies == other.movies &&
         oldMovies == other.oldMovies && newMovies == other.newMovies &&
         oldReferences == other.oldReferences && newReferences == other.newReferences &&
         examples == other.examples && line == other.line && nextValue == other.nextValue;
}

ModelSuggestion modelSuggest(const std::vector<Bytes>& movies, std::uint32_t agreement,
                             std::uint64_t minMovies, const std::vector<FixRule>& existing) {
  ModelSuggestion model;
  std::vector<Held> all;
  for (std::size_t m = 0; m < movies.size(); ++m) {
    const ModelWalk walk = modelWalk(movies[m], {}, true);
    if (walk.result != WalkResult::Done) continue;
    ++model.movies;
    for (const ModelReference& reference : walk.references) {
      all.push_back(Held{m, Key{reference.tag, reference.number}, reference.value});
    }
  }
  std::vector<Key> keys;
  for (const Held& held : all) {
    if (std::find(keys.begin(), keys.end(), held.key) == keys.end()) keys.push_back(held.key);
  }
  model.keys = keys.size();

  for (const Key& key : keys) {
    const std::vector<ValueSeen> values = valuesOf(all, key);
    if (values.size() < 2) continue;
    ++model.varied;
    std::set<std::size_t> holders;
    for (const Held& held : all) {
      if (held.key == key) holders.insert(held.movie);
    }
    const std::size_t common = most(values, {});
    const std::size_t commonMovies = values[common].movies.size();
    const bool tied = std::count_if(values.begin(), values.end(), [&](const ValueSeen& v) {
                        return v.movies.size() == commonMovies;
                      }) > 1;
    if (tied || commonMovies < minMovies) continue;
    if (100.0 * static_cast<double>(commonMovies) <
        static_cast<double>(agreement) * static_cast<double>(holders.size())) {
      continue;
    }
    const std::size_t old = most(values, {common});

    ModelSuggestFinding found;
    found.kind = "suggestion";
    found.tag = key.first;
    found.number = key.second;
    found.oldValue = values[old].value;
    found.newValue = values[common].value;
    found.movies = holders.size();
    found.oldMovies = values[old].movies.size();
    found.newMovies = commonMovies;
    found.oldReferences = values[old].references;
    found.newReferences = values[common].references;
    found.examples.assign(
        values[old].movies.begin(),
        values[old].movies.begin() + static_cast<long>(std::min<std::size_t>(3, found.oldMovies)));

    const FixRule* rule = firstRule(existing, key);
    if (!ruleFileHolds(key.first)) {
      found.kind = "unwritable";
    } else if (rule != nullptr) {
      if (rule->oldValue == found.oldValue && rule->newValue == found.newValue) {
        ++model.covered;
        continue;
      }
      found.kind = "differs";
      found.line = rule->line;
    }
    model.findings.push_back(found);
    if (found.kind != "suggestion") continue;
    FixRule suggested{};
    std::copy(key.first.begin(), key.first.end(), suggested.tag);
    suggested.number = key.second;
    suggested.oldValue = found.oldValue;
    suggested.newValue = found.newValue;
    model.rules.push_back(suggested);
    if (values.size() > 2) {
      found.kind = "more-values";
      found.nextValue = values[most(values, {common, old})].value;
      model.findings.push_back(found);
    }
  }
  return model;
}

std::string describe(const ModelSuggestFinding& finding) {
  std::string text = finding.kind + " '" + std::string(finding.tag.begin(), finding.tag.end()) +
                     "' " + std::to_string(finding.number) + ": " +
                     std::to_string(finding.oldValue) + " -> " + std::to_string(finding.newValue) +
                     ", " + std::to_string(finding.oldMovies) + " and " +
                     std::to_string(finding.newMovies) + " of " + std::to_string(finding.movies) +
                     " movies, " + std::to_string(finding.oldReferences) + " and " +
                     std::to_string(finding.newReferences) + " references, examples";
  for (const std::size_t movie : finding.examples) text += " " + std::to_string(movie);
  if (finding.kind == "differs") text += ", line " + std::to_string(finding.line);
  if (finding.kind == "more-values") text += ", next " + std::to_string(finding.nextValue);
  return text;
}

}  // namespace vantrel::moviekit
