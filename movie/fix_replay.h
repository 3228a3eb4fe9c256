#ifndef VANTREL_MOVIE_FIX_REPLAY_H_
#define VANTREL_MOVIE_FIX_REPLAY_H_

#include <functional>

#include "movie/movie_stream.h"
#include "movie/progress_sink.h"
#include "movie/walk_result.h"

namespace vantrel {

// The fixes of a walk made before, one at a time, in the order it made them.
class FixSource {
 public:
  virtual ~FixSource() = default;
  // The next fix into `fix`; false after the last one (or when the source
  // cannot be read further: failed() then says so).
  virtual bool next(FixedReference& fix) = 0;
  virtual bool failed() const = 0;
};

// Makes again, in `file`, the fixes that a walk with writes kept in memory
// found (MovieStream::keepWritesInMemory(), with keptWritesHeld() true at
// its end): with the fixes before it written, each reads again as that walk
// read it, so writing them in order leaves the movie as a real walk does,
// without walking it again. Each fix is written as the patch step writes
// one, exactly four bytes at once, and only where its value word still
// holds the old value under the fix's tag and number: a word that another
// program changed meanwhile is left alone. beforeFixWritten, the referenceFixed()
// and writeFailed() calls of `sink`, and the result are the walk's
// (begin() and step() are not called). `file` is closed, and synced when
// written, before the result is given.
WalkOutcome replayFixes(MovieStream& file, FixSource& fixes, ProgressSink& sink,
                        const std::function<bool(const FixedReference&)>& beforeFixWritten);

}  // namespace vantrel

#endif  // VANTREL_MOVIE_FIX_REPLAY_H_
