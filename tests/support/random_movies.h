#ifndef VANTREL_TESTS_SUPPORT_RANDOM_MOVIES_H_
#define VANTREL_TESTS_SUPPORT_RANDOM_MOVIES_H_

#include <cstdint>
#include <random>
#include <vector>

#include "tests/support/movie_builder.h"

namespace vantrel::moviekit {

// A movie and the rules to walk it with.
struct Scenario {
  BuiltMovie movie;
  std::vector<Rule> rules;
};

// A movie of a dozen chunks or so of every kind, known and unknown, whose
// references name a handful of tags and numbers and hold the values the
// rules look for, the values they write, or others; and rules over the same
// names, with repeats (only the first counts) and rules whose old and new
// values are equal. With `spanWindows`, bulk chunks of a few hundred
// kilobytes lie between the others, so the file runs to a few megabytes.
Scenario randomScenario(std::mt19937& random, bool spanWindows = false);

// Offsets of the words that a walk of the intact `movie` reads to find its
// way: the index offset, Group counts, data sizes and location tables, chunk
// records, kind words, and the tag and number of every reference.
std::vector<std::uint64_t> structureWords(const BuiltMovie& movie);

// Damage done to a copy of a built movie's bytes.
void cutShort(Bytes& bytes, std::mt19937& random);
void flipBytes(Bytes& bytes, std::mt19937& random, int count);
// Overwrites `count` structure words with values chosen to hurt: offsets of
// other structures and references (so references come to overlap), offsets
// near the end of the file or past it, counts too large for it, small
// shifts of the old value, and plain random words.
void overwriteStructure(const BuiltMovie& movie, Bytes& bytes, std::mt19937& random, int count);

// The bytes a test's loop over random movies takes in its round `round`:
// `scenario`'s movie whole in one round of three; with 4 bytes flipped in
// the next, so that tags hold any byte; with `overwrites` structure words
// overwritten in the third, so that references overlap and reads see
// earlier writes.
Bytes damagedInTurn(const Scenario& scenario, int round, std::mt19937& random, int overwrites = 2);

}  // namespace vantrel::moviekit

#endif  // VANTREL_TESTS_SUPPORT_RANDOM_MOVIES_H_
