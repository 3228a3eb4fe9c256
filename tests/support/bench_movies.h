#ifndef VANTREL_TESTS_SUPPORT_BENCH_MOVIES_H_
#define VANTREL_TESTS_SUPPORT_BENCH_MOVIES_H_

#include <cstdint>
#include <string>

#include "tests/support/movie_builder.h"

namespace vantrel::moviekit {

// Large movies and rule files for the benchmark. References name one of
// 1,000 keys (8 tags x 125 numbers); every bench rule file holds the one rule
// that fixes each key, spread among rules for other numbers of the same
// tags and later rules for the same keys, so the fix count is the same for
// every rule file. One reference in `badOneIn` is bad and so fixed: 3 for
// the dense movie, 1,000 for the sparse one that users mostly have.
struct BenchMovie {
  Bytes bytes;
  std::uint64_t references = 0;
  std::uint64_t expectedFixes = 0;
};

BenchMovie benchMovie(std::uint64_t references, std::uint64_t megabytes, std::uint32_t badOneIn,
                      std::uint32_t seed);
std::string benchRules(std::uint64_t count, std::uint32_t seed);

// Movie `index` of the batch case: a few kilobytes in a handful of chunks
// (ACTR and TDT chunks, a GGFR or GGST group, some bulk data), its references
// drawn from the same keys. With odds of one in `badOneIn` it holds one bad
// reference, which every bench rule file fixes; else none. The same index
// and seed give the same movie, so a batch is made one movie at a time.
BenchMovie benchBatchMovie(std::uint64_t index, std::uint32_t badOneIn, std::uint32_t seed);

}  // namespace vantrel::moviekit

#endif  // VANTREL_TESTS_SUPPORT_BENCH_MOVIES_H_
