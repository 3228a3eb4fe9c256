#ifndef VANTREL_MOVIE_WORD_WRITE_H_
#define VANTREL_MOVIE_WORD_WRITE_H_

#include <cstdint>

#include "movie/movie_stream.h"
#include "movie/progress_sink.h"

namespace vantrel {

// What the value word of a fix held when it was to be written.
enum class WordWrite {
  Written,         // it held the fix's old value under the fix's tag and number: the new
                   // value is written (with `write` false: would be)
  OtherValue,      // it holds another value (`held`): nothing written
  OtherReference,  // it holds the old value, but the tag or number after it differ
  PastTheEnd,      // the reference does not lie whole in the file
  WriteFailed,     // the file did not take the new value
};

// The one way a fix is written: where the value word at fix.valueOffset
// still holds fix.oldValue and the tag bytes and number after it are the
// fix's, fix.newValue is written there, exactly its four bytes, at once.
// The patch step writes a fix so; undo writes one back so, with old and new
// swapped. `held` is the value word as read (0 when it could not be read).
WordWrite writeWordWhereHeld(MovieStream& file, const FixedReference& fix, std::uint32_t& held,
                             bool write = true);

// The fix that takes `fix` back: the same word, from its new value to its old.
FixedReference reversed(const FixedReference& fix);

}  // namespace vantrel

#endif  // VANTREL_MOVIE_WORD_WRITE_H_
