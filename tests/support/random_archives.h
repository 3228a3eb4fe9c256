#ifndef VANTREL_TESTS_SUPPORT_RANDOM_ARCHIVES_H_
#define VANTREL_TESTS_SUPPORT_RANDOM_ARCHIVES_H_

#include <cstdint>
#include <random>
#include <vector>

#include "fixrules/fix_rule.h"
#include "tests/support/movie_builder.h"

namespace vantrel::moviekit {

// An archive of movies that name the same tags and numbers, as one tool
// writes them, and thresholds to suggest rules from it with.
struct RandomArchive {
  std::vector<Bytes> movies;  // some of them not valid
  std::uint32_t agreement = 90;
  std::uint64_t minMovies = 5;
};

// Each tag and number is held in one of these ways: mostly one value with
// a bad one in some movies (damaged), with two bad ones, a value of its own
// in each movie (spread), two values held by as many movies (tied), or in
// a few movies only (rare). Tags include some the rule file cannot hold.
// References lie in chunks of every kind, in random order, a few movies
// hold a key twice with two values, and some movies are not valid (no
// magic, or cut short). The thresholds are drawn around the numbers the
// archive gives, so that they decide often.
RandomArchive randomArchive(std::mt19937& random);

// Rules for the archive's tags and numbers, with lines: some the
// suggestions would give, some other ones, in random order.
std::vector<FixRule> rulesFor(const std::vector<FixRule>& suggested, std::mt19937& random);

}  // namespace vantrel::moviekit

#endif  // VANTREL_TESTS_SUPPORT_RANDOM_ARCHIVES_H_
