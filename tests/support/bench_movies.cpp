#include "tests/support/bench_movies.h"

#include <algorithm>
#include <random>
#include <vector>

namespace vantrel::moviekit {
namespace {

constexpr std::uint32_t kTags = 8;
constexpr std::uint32_t kNumbersPerTag = 125;
constexpr std::uint32_t kKeys = kTags * kNumbersPerTag;

std::string tagOf(std::uint32_t index) {
  static const char* const tags[kTags] = {"SND ", "BMAP", "FONT", "PAL ",
                                          "SCRP", "TEXT", "CAST", "WAVE"};
  return tags[index % kTags];
}

std::uint32_t oldValueOf(std::uint32_t key) { return 1000 + key; }
std::uint32_t newValueOf(std::uint32_t key) { return 500000 + key; }

Rule fixingRule(std::uint32_t key) {
  return Rule{tagOf(key % kTags), key / kTags, oldValueOf(key), newValueOf(key)};
}

}  // namespace

BenchMovie benchMovie(std::uint64_t references, std::uint64_t megabytes, std::uint32_t badOneIn,
                      std::uint32_t seed) {
  std::mt19937 generator(seed);
  auto random = [&generator](std::uint32_t bound) {
    return static_cast<std::uint32_t>(generator() % bound);
  };
  BenchMovie result;
  auto reference = [&] {
    const std::uint32_t key = random(kKeys);
    const bool bad = random(badOneIn) == 0;
    result.expectedFixes += bad ? 1 : 0;
    ++result.references;
    return Reference{bad ? oldValueOf(key) : newValueOf(key), tagOf(key % kTags), key / kTags};
  };

  // A third of the references in single-reference chunks, the rest in groups
  // of 64 elements; bulk data chunks between them make up the size.
  MovieBuilder builder(seed);
  const std::uint64_t referenceBytes = references * 48;
  const std::uint64_t fillerBytes =
      megabytes * 1000000 > referenceBytes ? megabytes * 1000000 - referenceBytes : 0;
  const std::uint64_t steps = references / 96 + 1;
  const auto fillerPerStep = static_cast<std::uint32_t>(fillerBytes / steps);
  const ChunkTag groupTags[] = {kTagGgae, kTagGgfr, kTagGgst};
  while (result.references < references) {
    for (int i = 0; i < 16 && result.references < references; ++i) builder.addActr(reference());
    for (int i = 0; i < 16 && result.references < references; ++i) builder.addTdt(reference());
    const ChunkTag groupTag = groupTags[random(3)];
    std::vector<Element> elements;
    for (int i = 0; i < 64 && result.references < references; ++i) {
      const std::uint32_t kinds[2][2] = {{2, 6}, {1, 4}};
      elements.push_back({kinds[groupTag == kTagGgae ? 0 : 1][random(2)], reference(), {}});
    }
    builder.addGroupChunk(groupTag, std::move(elements));
    builder.addOtherChunk(makeChunkTag("SND "), fillerPerStep);
  }
  result.bytes = builder.build().bytes;
  return result;
}

std::string benchRules(std::uint64_t count, std::uint32_t seed) {
  std::mt19937 generator(seed);
  auto random = [&generator](std::uint32_t bound) {
    return static_cast<std::uint32_t>(generator() % bound);
  };
  // The fixing rule of each key is spread through the file; a later rule for
  // a key already placed is never consulted; the rest name other numbers of
  // the same tags.
  std::vector<Rule> rules;
  rules.reserve(std::max<std::uint64_t>(count, kKeys));
  const std::uint64_t spacing = std::max<std::uint64_t>(1, count / kKeys);
  std::uint32_t placed = 0;
  for (std::uint64_t i = 0; i < count; ++i) {
    if (i % spacing == 0 && placed < kKeys) {
      rules.push_back(fixingRule(placed++));
    } else if (placed > 0 && random(4) == 0) {
      const std::uint32_t key = random(placed);
      rules.push_back(Rule{tagOf(key % kTags), key / kTags, newValueOf(key), 7});
    } else {
      rules.push_back(Rule{tagOf(random(kTags)), kNumbersPerTag + random(0x7FFFFF00u),
                           static_cast<std::uint32_t>(generator()), 1});
    }
  }
  while (placed < kKeys) rules.push_back(fixingRule(placed++));
  return fixText(rules);
}

BenchMovie benchBatchMovie(std::uint64_t index, std::uint32_t badOneIn, std::uint32_t seed) {
  std::seed_seq seeds{seed, static_cast<std::uint32_t>(index),
                      static_cast<std::uint32_t>(index >> 32)};
  std::mt19937 generator(seeds);
  auto random = [&generator](std::uint32_t bound) {
    return static_cast<std::uint32_t>(generator() % bound);
  };
  const std::uint32_t actrs = 1 + random(4);
  const std::uint32_t tdts = 1 + random(4);
  const std::uint32_t elements = 4 + random(9);
  const std::uint32_t total = actrs + tdts + elements;
  // Which reference is bad; `total` names none.
  const std::uint32_t bad = random(badOneIn) == 0 ? random(total) : total;

  BenchMovie result;
  auto reference = [&] {
    const std::uint32_t key = random(kKeys);
    const bool isBad = result.references++ == bad;
    result.expectedFixes += isBad ? 1 : 0;
    return Reference{isBad ? oldValueOf(key) : newValueOf(key), tagOf(key % kTags), key / kTags};
  };
  MovieBuilder builder(static_cast<std::uint32_t>(generator()));
  for (std::uint32_t i = 0; i < actrs; ++i) builder.addActr(reference());
  // Bulk data between the reference chunks, as a movie's sounds and pictures lie.
  builder.addOtherChunk(makeChunkTag("SND "), 1024 + random(3072));
  const ChunkTag groupTag = random(2) == 0 ? kTagGgfr : kTagGgst;
  std::vector<Element> group;
  for (std::uint32_t i = 0; i < elements; ++i) {
    const std::uint32_t kind = random(2) == 0 ? 1 : 4;
    group.push_back({kind, reference(), {}});
  }
  builder.addGroupChunk(groupTag, std::move(group));
  for (std::uint32_t i = 0; i < tdts; ++i) builder.addTdt(reference());
  builder.addOtherChunk(makeChunkTag("BMAP"), random(2048));
  result.bytes = builder.build().bytes;
  return result;
}

}  // namespace vantrel::moviekit
