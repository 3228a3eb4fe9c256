#include "tests/support/random_archives.h"

#include <algorithm>
#include <string>

namespace vantrel::moviekit {
namespace {

std::uint32_t below(std::mt19937& random, std::uint32_t bound) {
  return static_cast<std::uint32_t>(random() % bound);
}

enum class Style { Damaged, TwoBad, Spread, Tied, Rare };

struct KeyPlan {
  std::string tag;
  std::uint32_t number;
  Style style;
  std::uint32_t good;
  std::uint32_t bad[2];
};

// The tags: plain ones, one that differs from another in letter case, one
// with a line feed (which the rule file holds), and two it cannot hold.
const std::vector<std::string> kTags = {
    "SND ", "PIC ", "snd ", "SCRP", "AB\nC", "A\r\nB", std::string("\x1a") + "SND"};

std::vector<KeyPlan> planKeys(std::mt19937& random) {
  std::vector<KeyPlan> keys;
  const std::uint32_t count = 1 + below(random, 7);
  for (std::uint32_t i = 0; i < count; ++i) {
    KeyPlan key;
    key.tag = kTags[below(random, static_cast<std::uint32_t>(kTags.size()))];
    key.number = below(random, 4) == 0 ? 0xFFFFFFFFu : below(random, 3);
    key.style = static_cast<Style>(below(random, 5));
    key.good = below(random, 3) == 0 ? 0x80000000u + i : 44100 + i;
    key.bad[0] = 4410 + i;
    key.bad[1] = below(random, 2) == 0 ? 0xFFFFFFFFu - i : 441 + i;
    keys.push_back(key);
  }
  return keys;
}

// The values a movie's references of `key` hold: one or more references,
// sometimes two values.
std::vector<std::uint32_t> valuesIn(const KeyPlan& key, std::uint32_t movie, std::mt19937& random) {
  std::uint32_t value = key.good;
  switch (key.style) {
    case Style::Damaged:
      if (below(random, 4) == 0) value = key.bad[0];
      break;
    case Style::TwoBad:
      if (below(random, 3) == 0) value = key.bad[below(random, 2)];
      break;
    case Style::Spread:
      value = key.good + movie;
      break;
    case Style::Tied:
      value = movie % 2 == 0 ? key.good : key.bad[0];
      break;
    case Style::Rare:
      if (below(random, 2) == 0) value = key.bad[0];
      break;
  }
  std::vector<std::uint32_t> values(1 + below(random, 3), value);
  if (below(random, 8) == 0) values.push_back(key.bad[below(random, 2)]);
  return values;
}

Reference referenceOf(const KeyPlan& key, std::uint32_t value, std::mt19937& random) {
  Reference reference;
  reference.tag = key.tag;
  reference.number = key.number;
  reference.value = value;
  reference.spare = static_cast<std::uint32_t>(random());
  return reference;
}

// Lays the references out in chunks of every kind, in the order given.
Bytes layOut(const std::vector<Reference>& references, std::mt19937& random) {
  MovieBuilder builder(static_cast<std::uint32_t>(random()));
  for (std::size_t i = 0; i < references.size();) {
    switch (below(random, 4)) {
      case 0:
        builder.addActr(references[i++]);
        break;
      case 1:
        builder.addTdt(references[i++]);
        break;
      case 2: {
        const ChunkTag tag = below(random, 2) == 0 ? kTagGgfr : kTagGgst;
        std::vector<Element> elements;
        for (int n = 0; n < 3 && i < references.size(); ++n) {
          elements.push_back(Element{below(random, 2) == 0 ? 1u : 4u, references[i++], {}});
          if (below(random, 3) == 0) elements.push_back(Element{3, {}, {}});
        }
        builder.addGroupChunk(tag, elements);
        break;
      }
      default:
        builder.addGroupChunk(kTagGgae,
                              {Element{below(random, 2) == 0 ? 2u : 6u, references[i++], {}}});
        builder.addOtherChunk(makeChunkTag("DATA"), below(random, 64));
        break;
    }
  }
  return builder.build().bytes;
}

}  // namespace

RandomArchive randomArchive(std::mt19937& random) {
  RandomArchive archive;
  const std::vector<KeyPlan> keys = planKeys(random);
  const std::uint32_t movieCount = 1 + below(random, below(random, 4) == 0 ? 30 : 12);
  std::vector<std::uint32_t> rareHolders;
  for (std::uint32_t m = 0; m < movieCount; ++m) {
    std::vector<Reference> references;
    for (const KeyPlan& key : keys) {
      const bool holds = key.style == Style::Rare ? below(random, 5) == 0 : below(random, 10) != 0;
      if (!holds) continue;
      for (const std::uint32_t value : valuesIn(key, m, random)) {
        references.push_back(referenceOf(key, value, random));
      }
    }
    std::shuffle(references.begin(), references.end(), random);
    Bytes movie = layOut(references, random);
    if (below(random, 12) == 0) {
      movie[below(random, 4)] ^= 0x20;  // no magic
    } else if (below(random, 12) == 0) {
      movie.resize(below(random, 28));  // no index
    }
    archive.movies.push_back(std::move(movie));
  }
  // Near the counts a damaged key gives, and at the ends.
  static const std::uint32_t agreements[] = {1, 50, 60, 75, 80, 90, 100};
  archive.agreement = below(random, 4) == 0 ? 1 + below(random, 100) : agreements[below(random, 7)];
  archive.minMovies = 1 + below(random, std::min<std::uint32_t>(movieCount, 8));
  return archive;
}

std::vector<FixRule> rulesFor(const std::vector<FixRule>& suggested, std::mt19937& random) {
  std::vector<FixRule> rules;
  for (const FixRule& rule : suggested) {
    switch (below(random, 4)) {
      case 0:
        rules.push_back(rule);
        break;
      case 1: {
        FixRule other = rule;
        other.newValue ^= 1;  // the same bad value, another new one
        rules.push_back(other);
        break;
      }
      case 2: {
        FixRule other = rule;
        std::swap(other.oldValue, other.newValue);
        rules.push_back(other);
        rules.push_back(rule);  // never consulted
        break;
      }
      default:
        break;
    }
  }
  rules.push_back(FixRule{{'Z', 'Z', 'Z', 'Z'}, 1, 2, 3, 0});
  std::shuffle(rules.begin(), rules.end(), random);
  for (std::size_t i = 0; i < rules.size(); ++i) rules[i].line = static_cast<long long>(i) + 1;
  return rules;
}

}  // namespace vantrel::moviekit
