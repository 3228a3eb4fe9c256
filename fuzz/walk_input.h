#ifndef VANTREL_FUZZ_WALK_INPUT_H_
#define VANTREL_FUZZ_WALK_INPUT_H_

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "fixrules/fix_rule.h"
#include "movie/le_word.h"
#include "tests/support/movie_builder.h"

namespace vantrel::fuzz {

// How fuzz_walk reads its input, and how the seed generator writes one:
//
//   byte 0     bits 0-2: the number of rules (0-7); bit 3: dry run;
//              bits 4-7 all set: the movie is repeated (see below)
//   16 bytes   per rule: four tag bytes, then number, old value and new
//              value as little-endian words (fewer rules when the input
//              ends early)
//   the rest   the movie
//
// A repeated movie is copied end to end into a file of about 1.2 MB, so
// that offsets in it can lead into later copies and the walk moves through
// more of the file than the stream keeps in memory at once. The flag takes
// four bits, so that few random first bytes set it: such inputs cost ten
// times more to run.
struct WalkInput {
  std::vector<FixRule> rules;
  bool dryRun = false;
  bool repeated = false;
  moviekit::Bytes movie;
};

inline constexpr std::size_t kRepeatedSize = 1200000;
inline constexpr std::size_t kRuleSize = 16;

// Decodes into `input`, whose buffers are reused: a repeated movie is a
// megabyte, and fresh pages for it on every input would cost more than the
// walk.
inline void decodeWalkInput(const std::uint8_t* data, std::size_t size, WalkInput& input) {
  input.rules.clear();
  input.movie.clear();
  input.dryRun = false;
  input.repeated = false;
  if (size == 0) return;
  const unsigned ruleCount = data[0] & 7u;
  input.dryRun = (data[0] & 8u) != 0;
  input.repeated = (data[0] & 0xF0u) == 0xF0u;
  std::size_t at = 1;
  for (unsigned i = 0; i < ruleCount && size - at >= kRuleSize; ++i, at += kRuleSize) {
    FixRule rule{};
    std::copy_n(data + at, 4, rule.tag);
    rule.number = readLe32(data + at + 4);
    rule.oldValue = readLe32(data + at + 8);
    rule.newValue = readLe32(data + at + 12);
    rule.line = static_cast<long long>(i) + 1;  // so that a reference shows which rule it met
    input.rules.push_back(rule);
  }
  input.movie.assign(data + at, data + size);
  if (input.repeated && !input.movie.empty()) {
    const std::size_t length = input.movie.size();
    const std::size_t copies = (kRepeatedSize + length - 1) / length;
    input.movie.resize(length * copies);
    for (std::size_t copy = 1; copy < copies; ++copy) {
      std::memcpy(input.movie.data() + copy * length, input.movie.data(), length);
    }
  }
}

// The input that decodes to `rules` (at most seven), the flags and `movie`.
inline moviekit::Bytes encodeWalkInput(const std::vector<FixRule>& rules, bool dryRun,
                                       bool repeated, const moviekit::Bytes& movie) {
  const std::size_t ruleCount = std::min<std::size_t>(rules.size(), 7);
  moviekit::Bytes bytes;
  bytes.push_back(
      static_cast<unsigned char>(ruleCount | (dryRun ? 8u : 0u) | (repeated ? 0xF0u : 0u)));
  for (std::size_t i = 0; i < ruleCount; ++i) {
    unsigned char word[4];
    bytes.insert(bytes.end(), rules[i].tag, rules[i].tag + 4);
    for (const std::uint32_t value : {rules[i].number, rules[i].oldValue, rules[i].newValue}) {
      writeLe32(value, word);
      bytes.insert(bytes.end(), word, word + 4);
    }
  }
  bytes.insert(bytes.end(), movie.begin(), movie.end());
  return bytes;
}

}  // namespace vantrel::fuzz

#endif  // VANTREL_FUZZ_WALK_INPUT_H_
