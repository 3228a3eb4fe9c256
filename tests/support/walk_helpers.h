#ifndef VANTREL_TESTS_SUPPORT_WALK_HELPERS_H_
#define VANTREL_TESTS_SUPPORT_WALK_HELPERS_H_

#include <algorithm>
#include <vector>

#include "movie/movie_walk.h"
#include "tests/support/memory_device.h"
#include "tests/support/movie_builder.h"
#include "tests/support/recording_sink.h"

namespace vantrel::moviekit {

inline FixTable toTable(const std::vector<Rule>& rules) { return FixTable(toFixRules(rules)); }

// Walks a movie held in memory; `bytes` is patched in place.
inline WalkOutcome walkBytes(Bytes& bytes, const std::vector<Rule>& rules, ProgressSink& sink,
                             WalkOptions options = {}) {
  MovieStream file(std::make_unique<MemoryDevice>(bytes));
  return walkMovie(file, toTable(rules), sink, options);
}

inline WalkOutcome walkBytes(Bytes& bytes, const std::vector<Rule>& rules) {
  RecordingSink sink;
  return walkBytes(bytes, rules, sink);
}

// Offsets of the bytes where `after` differs from `before` (same size).
inline std::vector<std::size_t> changedOffsets(const Bytes& before, const Bytes& after) {
  std::vector<std::size_t> changed;
  for (std::size_t i = 0; i < before.size() && i < after.size(); ++i) {
    if (before[i] != after[i]) changed.push_back(i);
  }
  return changed;
}

}  // namespace vantrel::moviekit

#endif  // VANTREL_TESTS_SUPPORT_WALK_HELPERS_H_
