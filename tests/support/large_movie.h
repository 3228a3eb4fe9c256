#ifndef VANTREL_TESTS_SUPPORT_LARGE_MOVIE_H_
#define VANTREL_TESTS_SUPPORT_LARGE_MOVIE_H_

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/movie_builder.h"

namespace vantrel::moviekit {

// Bytes written at `offset` of a sparse file.
struct Piece {
  std::uint64_t offset = 0;
  Bytes bytes;
};

// A movie of 4 GiB as a sparse file: a few written pieces of seeded noise,
// holes that read as zeros between them. Where 32-bit offsets break, it has
// something: a reference at 2 GiB exactly, a group chunk above 3 GiB whose
// location table lies past a 16 MiB data area, the chunk index above
// 3.5 GiB, and a reference whose value word lies at 0xFFFFFFF0, the last
// that a chunk's 32-bit offset can reach (its number ends the file).
struct LargeMovie {
  std::uint64_t size = 0;
  std::vector<Piece> pieces;  // in file order
  std::vector<Rule> rules;
  std::vector<std::uint64_t> fixed;  // value words that the rules fix
  std::uint32_t chunkCount = 0;
};

LargeMovie largeMovie();

// Writes the pieces to a new file at `path` of `movie.size` bytes, leaving
// the rest unwritten.
void writeLargeMovie(const std::string& path, const LargeMovie& movie);

// The pieces as a repair leaves them.
std::vector<Piece> piecesAfterFix(const LargeMovie& movie);

// Compares the file at `path` with the pieces at their offsets; empty when
// they all agree, else where the first difference lies.
std::string firstDifference(const std::string& path, const std::vector<Piece>& pieces);

}  // namespace vantrel::moviekit

#endif  // VANTREL_TESTS_SUPPORT_LARGE_MOVIE_H_
