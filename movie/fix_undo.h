#ifndef VANTREL_MOVIE_FIX_UNDO_H_
#define VANTREL_MOVIE_FIX_UNDO_H_

#include <cstdint>

#include "movie/movie_stream.h"
#include "movie/progress_sink.h"

namespace vantrel {

// What taking back one fix found at its value word.
enum class UndoStep {
  Restored,        // it held the fix's new value under the fix's tag and number: the old
                   // value is written back (in a dry run, would be)
  AlreadyOld,      // it holds the fix's old value: nothing to do
  Changed,         // it holds something else: it is left as it is
  OtherReference,  // it holds the new value, but the tag or number after it changed: left
  PastTheEnd,      // the reference no longer lies whole in the file
  WriteFailed,     // the old value could not be written
};

// Takes back `fix` in `file`: where the value word at its offset holds its
// new value and the tag and number words after it are the fix's own, the old
// value is written there as the patch step writes a fix (exactly four bytes,
// at once). `held` is the value word as read (0 when it could not be read).
UndoStep undoFix(MovieStream& file, const FixedReference& fix, bool dryRun, std::uint32_t& held);

}  // namespace vantrel

#endif  // VANTREL_MOVIE_FIX_UNDO_H_
