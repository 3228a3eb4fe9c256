#include "tests/support/random_movies.h"

#include <algorithm>
#include <string>

#include "movie/le_word.h"

namespace vantrel::moviekit {
namespace {

std::uint32_t below(std::mt19937& random, std::uint32_t bound) {
  return static_cast<std::uint32_t>(random() % bound);
}

template <typename T>
const T& pick(std::mt19937& random, const std::vector<T>& from) {
  return from[below(random, static_cast<std::uint32_t>(from.size()))];
}

// Names and values shared by references and rules, so that they meet often.
// The tags differ from each other in one byte or in letter case.
const std::vector<std::string> kTags = {"SND ", "snd ", "SNDX", "BMAP", "PAL "};
const std::vector<std::uint32_t> kNumbers = {0, 1, 7, 0xFFFFFFFFu};
const std::vector<std::uint32_t> kValues = {0, 2, 5, 0x80000000u, 0xFFFFFFFFu};

Reference randomReference(std::mt19937& random, const std::vector<Rule>& rules) {
  Reference reference;
  reference.value =
      below(random, 8) == 0 ? static_cast<std::uint32_t>(random()) : pick(random, kValues);
  reference.tag = pick(random, kTags);
  reference.number = pick(random, kNumbers);
  reference.spare = static_cast<std::uint32_t>(random());
  if (!rules.empty() && below(random, 2) == 0) {
    // Named like a rule, holding its old value, its new value, or another.
    const Rule& rule = pick(random, rules);
    reference.tag = rule.tag;
    reference.number = rule.number;
    if (below(random, 3) != 0) {
      reference.value = below(random, 3) == 0 ? rule.newValue : rule.oldValue;
    }
  }
  return reference;
}

std::vector<Rule> randomRules(std::mt19937& random) {
  std::vector<Rule> rules;
  const std::uint32_t count = below(random, 10);
  for (std::uint32_t i = 0; i < count; ++i) {
    Rule rule{pick(random, kTags), pick(random, kNumbers), pick(random, kValues),
              pick(random, kValues)};
    rules.push_back(rule);
  }
  return rules;
}

Element randomElement(std::mt19937& random, const std::vector<Rule>& rules) {
  // The kinds that carry a reference in one group tag or the other, and
  // some that carry none in either.
  static const std::vector<std::uint32_t> kinds = {1, 2, 4, 6, 0, 3, 5, 0x01000002u};
  Element element;
  element.kind = pick(random, kinds);
  if (below(random, 5) != 0) element.reference = randomReference(random, rules);
  // Lookalikes lie past the kind word and off the places where any kind
  // keeps its reference, some of them across such a place.
  static const std::vector<std::uint32_t> decoyPlaces = {12, 16, 20, 24, 31, 36, 40, 44, 52, 57};
  if (element.reference && below(random, 6) == 0) element.decoyAt = pick(random, decoyPlaces);
  return element;
}

void addRandomChunk(MovieBuilder& builder, std::mt19937& random, const std::vector<Rule>& rules) {
  static const std::vector<ChunkTag> groupTags = {kTagGgae, kTagGgfr, kTagGgst};
  switch (below(random, 8)) {
    case 0:
    case 1:
      builder.addActr(randomReference(random, rules));
      break;
    case 2:
      builder.addTdt(randomReference(random, rules));
      break;
    case 3:
    case 4:
    case 5: {
      std::vector<Element> elements;
      const std::uint32_t count = below(random, 6);
      for (std::uint32_t i = 0; i < count; ++i) elements.push_back(randomElement(random, rules));
      builder.addGroupChunk(pick(random, groupTags), std::move(elements));
      break;
    }
    case 6:
      builder.addOtherChunk(
          pick(random, std::vector<ChunkTag>{makeChunkTag("SND "), makeChunkTag("TDTX"),
                                             makeChunkTag("actr")}),
          below(random, 48));
      break;
    default:
      // Known tags written in reading order, which the walk must not take
      // for the chunks whose codes they spell.
      builder.addChunkWithTagBytes(
          pick(random, std::vector<std::string>{"GGFR", "ACTR", "TDT ", "GGAE"}),
          randomReference(random, rules));
      break;
  }
}

std::uint32_t wordAt(const Bytes& bytes, std::uint64_t at) { return readLe32(bytes.data() + at); }

void groupWords(const Bytes& bytes, std::uint64_t start, std::uint64_t kindAt,
                std::vector<std::uint64_t>& words) {
  const std::uint32_t count = wordAt(bytes, start + 4);
  const std::uint32_t dataSize = wordAt(bytes, start + 8);
  words.push_back(start + 4);
  words.push_back(start + 8);
  const std::uint64_t table = start + 20 + dataSize;
  for (std::uint32_t i = 0; i < count; ++i) {
    words.push_back(table + 8 * std::uint64_t{i});
    if (kindAt != ~std::uint64_t{0}) {
      words.push_back(start + 20 + wordAt(bytes, table + 8 * std::uint64_t{i}) + kindAt);
    }
  }
}

}  // namespace

Scenario randomScenario(std::mt19937& random, bool spanWindows) {
  MovieBuilder builder(static_cast<std::uint32_t>(random()));
  std::vector<Rule> rules = randomRules(random);
  const std::uint32_t chunks = 1 + below(random, 14);
  for (std::uint32_t i = 0; i < chunks; ++i) {
    if (spanWindows && below(random, 2) == 0) {
      builder.addOtherChunk(makeChunkTag("BULK"), 200000 + below(random, 200000));
    }
    addRandomChunk(builder, random, rules);
  }
  return Scenario{builder.build(), std::move(rules)};
}

std::vector<std::uint64_t> structureWords(const BuiltMovie& movie) {
  const Bytes& bytes = movie.bytes;
  std::vector<std::uint64_t> words = {20};
  groupWords(bytes, movie.indexOffset, ~std::uint64_t{0}, words);
  for (std::uint32_t j = 0; j < movie.chunkCount; ++j) {
    const std::uint64_t tableEntry =
        movie.indexOffset + 20 + wordAt(bytes, movie.indexOffset + 8) + 8 * j;
    const std::uint64_t record = movie.indexOffset + 20 + wordAt(bytes, tableEntry);
    words.push_back(record);
    words.push_back(record + 8);
    const ChunkTag tag = wordAt(bytes, record);
    if (tag == kTagGgae) groupWords(bytes, movie.chunkDataOffsets[j], 0, words);
    if (tag == kTagGgfr || tag == kTagGgst) groupWords(bytes, movie.chunkDataOffsets[j], 4, words);
  }
  for (const PlacedReference& placed : movie.references) {
    words.push_back(placed.offset + 8);
    words.push_back(placed.offset + 12);
  }
  return words;
}

void cutShort(Bytes& bytes, std::mt19937& random) {
  bytes.resize(below(random, static_cast<std::uint32_t>(bytes.size()) + 1));
}

void flipBytes(Bytes& bytes, std::mt19937& random, int count) {
  if (bytes.empty()) return;
  for (int i = 0; i < count; ++i) {
    bytes[below(random, static_cast<std::uint32_t>(bytes.size()))] ^=
        static_cast<unsigned char>(1 + below(random, 255));
  }
}

void overwriteStructure(const BuiltMovie& movie, Bytes& bytes, std::mt19937& random, int count) {
  const std::vector<std::uint64_t> words = structureWords(movie);
  const auto size = static_cast<std::uint32_t>(bytes.size());
  for (int i = 0; i < count; ++i) {
    const std::uint64_t at = pick(random, words);
    if (at + 4 > bytes.size()) continue;
    std::uint32_t value = 0;
    switch (below(random, 7)) {
      case 0: {
        // Where another reference or chunk lies, less what the walk adds to
        // reach a reference from its chunk or element, and a little more.
        const std::uint32_t target =
            movie.references.empty()
                ? pick(random, movie.chunkDataOffsets)
                : static_cast<std::uint32_t>(pick(random, movie.references).offset);
        static const std::vector<std::uint32_t> reaches = {0, 8, 20, 28, 32, 48, 40, 52, 68};
        value = target - pick(random, reaches) + below(random, 9) - 4;
        break;
      }
      case 1:
        value = pick(random, movie.chunkDataOffsets);
        break;
      case 2:
        value = size - below(random, 40);
        break;
      case 3:
        value = pick(random, std::vector<std::uint32_t>{0, 1, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFF0u,
                                                        0xFFFFFFFFu, size / 8, size});
        break;
      case 4:
        value = wordAt(bytes, at) + below(random, 33) - 16;
        break;
      case 5:
        value = below(random, 16);
        break;
      default:
        value = static_cast<std::uint32_t>(random());
        break;
    }
    writeLe32(value, bytes.data() + at);
  }
}

Bytes damagedInTurn(const Scenario& scenario, int round, std::mt19937& random, int overwrites) {
  Bytes bytes = scenario.movie.bytes;
  if (round % 3 == 1) flipBytes(bytes, random, 4);
  if (round % 3 == 2) overwriteStructure(scenario.movie, bytes, random, overwrites);
  return bytes;
}

}  // namespace vantrel::moviekit
