#ifndef VANTREL_TESTS_SUPPORT_SPARSE_MOVIE_H_
#define VANTREL_TESTS_SUPPORT_SPARSE_MOVIE_H_

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/movie_builder.h"

namespace vantrel::moviekit {

// A movie to lay out as a sparse file on a full file system. Some pages are
// never written: they read as zeros, and a write into one needs a page that
// the file system no longer has. Three references have their value word in
// the last eight bytes of such a hole (at P - 8 for the page boundary P), so
// that their tag and number lie in the written page after it and still name
// a rule that fixes the zero value; three more lie wholly in written pages,
// where a fix can land.
struct SparseMovie {
  BuiltMovie movie;  // its bytes are what the file reads: zeros in the holes
  std::vector<Rule> rules;
  std::vector<std::pair<std::uint64_t, std::uint64_t>> holes;  // [begin, end) never written
  std::vector<std::uint64_t> landing;  // value words of the fixes in written pages
  std::vector<std::uint64_t> failing;  // value words of the fixes in holes
};

SparseMovie sparseMovie(std::uint32_t pageSize);

// Writes the movie to `path`, leaving its holes unwritten.
void writeSparseFile(const std::string& path, const SparseMovie& sparse);

// The file as a walk leaves it when exactly the fixes in written pages land.
Bytes withLandingFixes(const SparseMovie& sparse);

}  // namespace vantrel::moviekit

#endif  // VANTREL_TESTS_SUPPORT_SPARSE_MOVIE_H_
