#ifndef VANTREL_MOVIE_PATCH_CONTEXT_H_
#define VANTREL_MOVIE_PATCH_CONTEXT_H_

#include <cstdint>
#include <functional>
#include <optional>

#include "fixrules/fix_table.h"
#include "movie/container_layout.h"
#include "movie/movie_stream.h"
#include "movie/progress_sink.h"
#include "movie/rule_memo.h"

namespace vantrel {

// Everything one walk shares with the patchers it calls.
struct PatchContext {
  MovieStream& file;
  const FixTable& rules;
  ProgressSink& sink;
  bool dryRun = false;            // find and count fixes, write nothing
  bool reportReferences = false;  // tell the sink of every reference read
  // Asked once, before the first write; see WalkOptions.
  std::function<bool()> beforeFirstWrite = nullptr;
  std::uint64_t fixCount = 0;  // fixes made (or fixable) so far
  std::uint64_t failedWrites = 0;
  bool firstWriteAsked = false;
  bool writeRefused = false;  // the walk stops: nothing may be written
  // Element visits in group chunks so far, and the most the walk may make;
  // past it, the walk stops.
  std::uint64_t elementVisits = 0;
  std::uint64_t visitBudget = 0;
  bool overBudget = false;
  RuleMemo recentRules = {};  // the lookups in `rules`, for this walk
  // Where the walk is, for the references it reports.
  std::uint32_t chunk = 0;
  ChunkTag chunkTag = 0;
  std::optional<std::uint32_t> element = std::nullopt;
};

// Whether the patch step may write now: asks beforeFirstWrite the first
// time, and remembers the answer.
inline bool mayWrite(PatchContext& context) {
  if (!context.firstWriteAsked) {
    context.firstWriteAsked = true;
    context.writeRefused = context.beforeFirstWrite && !context.beforeFirstWrite();
  }
  return !context.writeRefused;
}

}  // namespace vantrel

#endif  // VANTREL_MOVIE_PATCH_CONTEXT_H_
