#ifndef VANTREL_TESTS_WINE_SAMPLE_CASES_H_
#define VANTREL_TESTS_WINE_SAMPLE_CASES_H_

#include <cstdint>
#include <vector>

#include "tests/support/movie_builder.h"

// Movies and rules for the end-to-end cases, laid out by the movie builder.
namespace vantrel::wine {

struct MovieAndRules {
  moviekit::BuiltMovie movie;
  std::vector<moviekit::Rule> rules;
};

// Every chunk kind the walk knows and one it does not, with references that
// the rules fix, that no rule names, whose value no rule expects, decoys in
// group elements, and a tag and number with two rules of which only the
// first counts.
MovieAndRules mixedMovie();

// `chunkCount` 'ACTR' chunks, every third of which the one rule fixes.
MovieAndRules manyChunkMovie(std::uint32_t chunkCount);

}  // namespace vantrel::wine

#endif  // VANTREL_TESTS_WINE_SAMPLE_CASES_H_
