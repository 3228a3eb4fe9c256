#include "tests/support/model_derivation.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>

#include "tests/support/model_rules.h"
#include "tests/support/model_walk.h"

namespace vantrel::moviekit {
namespace {

using Key = std::pair<std::array<unsigned char, 4>, std::uint32_t>;
// Chunk, element; a chunk of one reference sorts after any element of the
// same chunk's place, as a chunk may be a group in one copy and not in the other.
using Place = std::pair<std::uint32_t, std::int64_t>;
constexpr std::int64_t kNoElement = std::int64_t{1} << 32;

struct ModelPair {
  std::uint32_t bad = 0;
  std::uint32_t good = 0;
  std::size_t moviePair = 0;
  std::uint64_t offset = 0;
};

Place placeOf(const ModelReference& reference) {
  return {reference.chunk, reference.element ? std::int64_t{*reference.element} : kNoElement};
}

Key keyOf(const ModelReference& reference) { return {reference.tag, reference.number}; }

ModelFinding finding(const std::string& kind, const Key& key, std::size_t moviePair,
                     std::uint64_t offset) {
  ModelFinding found;
  found.kind = kind;
  found.tag = key.first;
  found.number = key.second;
  found.moviePair = moviePair;
  found.offset = offset;
  return found;
}

const FixRule* firstRule(const std::vector<FixRule>& rules, const Key& key) {
  return moviekit::firstRule(rules, key.first, key.second);
}

std::uint32_t applied(const FixRule* rule, std::uint32_t value) {
  return rule != nullptr && rule->oldValue == value ? rule->newValue : value;
}

// The verdict on one tag and number, from all of its pairs; empty when
// nothing is to be said.
std::optional<ModelFinding> verdict(const Key& key, const std::vector<ModelPair>& pairs,
                                    const std::vector<FixRule>& existing) {
  if (const FixRule* rule = firstRule(existing, key)) {
    for (const ModelPair& pair : pairs) {
      if (applied(rule, pair.bad) != pair.good) {
        ModelFinding found = finding("shadowed", key, pair.moviePair, pair.offset);
        found.line = rule->line;
        return found;
      }
    }
    return std::nullopt;
  }
  std::vector<const ModelPair*> differing;
  std::set<std::uint32_t> kept;
  for (const ModelPair& pair : pairs) {
    if (pair.bad != pair.good) {
      differing.push_back(&pair);
    } else {
      kept.insert(pair.good);
    }
  }
  if (differing.empty()) return std::nullopt;
  const ModelPair& first = *differing.front();
  ModelFinding found = finding("rule", key, first.moviePair, first.offset);
  for (const ModelPair* pair : differing) {
    if (pair->bad != first.bad || pair->good != first.good) found.kind = "conflict";
  }
  if (found.kind == "rule" && kept.count(first.bad) != 0) found.kind = "conflict";
  if (found.kind == "rule" && !ruleFileHolds(key.first)) found.kind = "unwritable";
  if (found.kind == "rule") {
    found.oldValue = first.bad;
    found.newValue = first.good;
    found.references = differing.size();
  }
  return found;
}

// Whether `pair` asks for a verdict on its tag and number: it differs, or
// the existing rule would leave it wrong.
bool needsVerdict(const Key& key, const ModelPair& pair, const std::vector<FixRule>& existing) {
  return pair.bad != pair.good || applied(firstRule(existing, key), pair.bad) != pair.good;
}

}  // namespace

bool ModelFinding::operator==(const ModelFinding& other) const {
  return kind == other.kind && bytes == other.bytes && tag == other.tag && number == other.number &&
         moviePair == other.moviePair && inGood == other.inGood && offset == other.offset &&
         oldValue == other.oldValue && newValue == other.newValue &&
         references == other.references && line == other.line;
}

std::string describe(const ModelFinding& finding) {
  return finding.kind + (finding.bytes ? " (bytes)" : "") + " '" +
         std::string(finding.tag.begin(), finding.tag.end()) + "' " +
         std::to_string(finding.number) + " in pair " + std::to_string(finding.moviePair) +
         (finding.inGood ? " (good)" : "") + " at " + std::to_string(finding.offset) + ": " +
         std::to_string(finding.oldValue) + " -> " + std::to_string(finding.newValue) + " x" +
         std::to_string(finding.references) + " line " + std::to_string(finding.line);
}

ModelDerivation modelDerive(const std::vector<std::pair<Bytes, Bytes>>& pairs,
                            const std::vector<FixRule>& existing) {
  ModelDerivation result;
  std::map<Key, std::vector<ModelPair>> pairsOf;
  std::vector<Key> needOrder;  // each key once, when its first pair needs a verdict
  bool allWalked = true;
  for (std::size_t m = 0; m < pairs.size(); ++m) {
    const ModelWalk good = modelWalk(pairs[m].first, {}, true);
    const ModelWalk bad = modelWalk(pairs[m].second, {}, true);
    if (good.result != WalkResult::Done || bad.result != WalkResult::Done) {
      allWalked = false;
      continue;
    }
    std::map<Place, std::pair<const ModelReference*, const ModelReference*>> places;
    for (const ModelReference& reference : good.references) {
      places[placeOf(reference)].first = &reference;
    }
    for (const ModelReference& reference : bad.references) {
      places[placeOf(reference)].second = &reference;
    }
    // Bytes that the rules may change, or that are told of already.
    std::vector<bool> mayDiffer(std::max(pairs[m].first.size(), pairs[m].second.size()));
    const auto mark = [&mayDiffer](std::uint64_t offset, std::uint64_t length) {
      for (std::uint64_t i = offset; i < offset + length && i < mayDiffer.size(); ++i) {
        mayDiffer[i] = true;
      }
    };
    for (const auto& [place, both] : places) {
      const auto [goodReference, badReference] = both;
      if (goodReference && badReference && keyOf(*goodReference) == keyOf(*badReference) &&
          goodReference->valueOffset == badReference->valueOffset) {
        mark(badReference->valueOffset, 4);
        const Key key = keyOf(*badReference);
        const ModelPair pair{badReference->value, goodReference->value, m,
                             badReference->valueOffset};
        ++result.compared;
        result.differing += pair.bad != pair.good ? 1 : 0;
        pairsOf[key].push_back(pair);
        if (needsVerdict(key, pair, existing) &&
            std::find(needOrder.begin(), needOrder.end(), key) == needOrder.end()) {
          needOrder.push_back(key);
        }
        continue;
      }
      if (goodReference) {
        ModelFinding found =
            finding("layout", keyOf(*goodReference), m, goodReference->valueOffset);
        found.inGood = true;
        result.findings.push_back(found);
        mark(goodReference->valueOffset, 16);
      }
      if (badReference) {
        result.findings.push_back(
            finding("layout", keyOf(*badReference), m, badReference->valueOffset));
        mark(badReference->valueOffset, 16);
      }
    }
    const Bytes& goodBytes = pairs[m].first;
    const Bytes& badBytes = pairs[m].second;
    const std::size_t common = std::min(goodBytes.size(), badBytes.size());
    std::optional<std::uint64_t> firstDifference;
    for (std::size_t i = 0; i < common && !firstDifference; ++i) {
      if (goodBytes[i] != badBytes[i] && !mayDiffer[i]) firstDifference = i;
    }
    if (!firstDifference && goodBytes.size() != badBytes.size()) firstDifference = common;
    if (firstDifference) {
      ModelFinding found = finding("layout", Key{}, m, *firstDifference);
      found.bytes = true;
      result.findings.push_back(found);
    }
  }
  for (const Key& key : needOrder) {
    if (const auto found = verdict(key, pairsOf[key], existing)) {
      result.findings.push_back(*found);
      if (found->kind == "rule") {
        FixRule rule{};
        std::copy(key.first.begin(), key.first.end(), rule.tag);
        rule.number = key.second;
        rule.oldValue = found->oldValue;
        rule.newValue = found->newValue;
        result.rules.push_back(rule);
      }
    }
  }
  // With no problem, the proof: each damaged movie, repaired by the walk
  // model with the existing rules and the derived ones, is its good copy.
  if (!allWalked || result.findings.size() != result.rules.size()) return result;
  std::vector<FixRule> all = existing;
  all.insert(all.end(), result.rules.begin(), result.rules.end());
  for (std::size_t m = 0; m < pairs.size(); ++m) {
    const ModelWalk repair = modelWalk(pairs[m].second, all);
    const Bytes& good = pairs[m].first;
    std::optional<std::uint64_t> differs;
    if (repair.result != WalkResult::Done) differs = 0;
    for (std::size_t i = 0; i < good.size() && !differs; ++i) {
      if (repair.bytes[i] != good[i]) differs = i;
    }
    if (differs) {
      ModelFinding found = finding("layout", Key{}, m, *differs);
      found.bytes = true;
      result.findings.push_back(found);
    }
  }
  return result;
}

}  // namespace vantrel::moviekit
