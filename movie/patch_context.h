#ifndef VANTREL_MOVIE_PATCH_CONTEXT_H_
#define VANTREL_MOVIE_PATCH_CONTEXT_H_

#include <cstdint>

#include "fixrules/fix_table.h"
#include "movie/movie_stream.h"
#include "movie/progress_sink.h"

namespace vantrel {

// Everything one walk shares with the patchers it calls.
struct PatchContext {
  MovieStream& file;
  const FixTable& rules;
  ProgressSink& sink;
  bool dryRun = false;          // find and count fixes, write nothing
  std::uint64_t fixCount = 0;   // fixes made (or fixable) so far
  std::uint64_t failedWrites = 0;
};

}  // namespace vantrel

#endif  // VANTREL_MOVIE_PATCH_CONTEXT_H_
