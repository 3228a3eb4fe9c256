#ifndef VANTREL_MOVIE_MOVIE_WALK_H_
#define VANTREL_MOVIE_MOVIE_WALK_H_

#include <functional>
#include <string>

#include "fixrules/fix_table.h"
#include "movie/movie_stream.h"
#include "movie/progress_sink.h"
#include "movie/walk_result.h"

namespace vantrel {

struct WalkOptions {
  bool dryRun = false;            // open read-only, find and count fixes, write nothing
  bool reportReferences = false;  // ProgressSink::referenceRead() for every reference read
  // When set, asked before each fix's value word is written, with the fix as
  // it will be written, in the order the walk meets them (never in a dry
  // run, so never when nothing is to be fixed). Here a caller makes the fix
  // recoverable first: a copy of the movie before the first, a journal
  // record of each. Answering false stops the walk there: that fix and none
  // after it is written, and no further step() comes. The result is then
  // WriteRefused when no fix had been written yet, else WriteFailed with
  // the fixes written so far.
  std::function<bool(const FixedReference&)> beforeFixWritten = nullptr;
};

// Opens the movie at `moviePath` for reading and writing, visits every chunk
// of its index in index order, fixes the references that `rules` match, and
// closes it. Nothing but value words of matched references is ever written.
// A movie whose group chunks hold more elements to visit than its size
// allows (elementVisitBudget()) is not valid: refused before the first
// chunk, or, when a count read during the walk crosses the budget, stopped
// there with the fixes before it synced.
WalkOutcome patchMovie(const std::string& moviePath, const FixTable& rules, ProgressSink& sink,
                       WalkOptions options = {});

// The same walk over a stream that is already open; closes it at the end.
WalkOutcome walkMovie(MovieStream& file, const FixTable& rules, ProgressSink& sink,
                      WalkOptions options = {});

}  // namespace vantrel

#endif  // VANTREL_MOVIE_MOVIE_WALK_H_
