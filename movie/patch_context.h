#ifndef VANTREL_MOVIE_PATCH_CONTEXT_H_
#define VANTREL_MOVIE_PATCH_CONTEXT_H_

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

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
  // Asked before each fix is written; see WalkOptions.
  std::function<bool(const FixedReference&)> beforeFixWritten = nullptr;
  std::uint64_t fixCount = 0;  // fixes made (or fixable) so far
  std::uint64_t failedWrites = 0;
  bool writeRefused = false;  // the walk stops: nothing more may be written
  // Element visits in group chunks so far, and the most the walk may make;
  // past it, the walk stops.
  std::uint64_t elementVisits = 0;
  std::uint64_t visitBudget = 0;
  bool overBudget = false;
  RuleMemo recentRules = {};  // the lookups in `rules`, for this walk
  // The element offsets of the group chunk being visited, kept from one
  // chunk to the next so that its memory is allocated once.
  std::vector<std::uint32_t> elementOffsets = {};
  // Where the walk is, for the references it reports.
  std::uint32_t chunk = 0;
  ChunkTag chunkTag = 0;
  std::optional<std::uint32_t> element = std::nullopt;
};

// Whether the patch step may write `fix` now: asks beforeFixWritten, and
// after one refusal answers no to every later fix.
inline bool mayWrite(PatchContext& context, const FixedReference& fix) {
  if (!context.writeRefused && context.beforeFixWritten) {
    context.writeRefused = !context.beforeFixWritten(fix);
  }
  return !context.writeRefused;
}

}  // namespace vantrel

#endif  // VANTREL_MOVIE_PATCH_CONTEXT_H_
