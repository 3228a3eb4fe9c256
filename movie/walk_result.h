#ifndef VANTREL_MOVIE_WALK_RESULT_H_
#define VANTREL_MOVIE_WALK_RESULT_H_

#include <cstdint>

namespace vantrel {

enum class WalkResult {
  Done = 0,         // every chunk visited and every fix saved
  CannotOpen = 1,   // missing, read-only, held by another program, not a file
  NotValid = 2,     // no "CHN2" magic, or header or chunk index unreadable
  WriteFailed = 3,  // a fix was not written, or the movie not synced or closed: it may be
                    // partly repaired
  WriteRefused = 4,  // the caller did not let the first fix be written: nothing was written
};

struct WalkOutcome {
  WalkResult result = WalkResult::CannotOpen;
  std::uint64_t fixCount = 0;  // references fixed (or, in a dry run, fixable)
};

}  // namespace vantrel

#endif  // VANTREL_MOVIE_WALK_RESULT_H_
