#ifndef VANTREL_MOVIE_WALK_RESULT_H_
#define VANTREL_MOVIE_WALK_RESULT_H_

#include <cstdint>

namespace vantrel {

enum class WalkResult {
  Done = 0,          // every chunk visited and every fix saved
  CannotOpen = 1,    // missing, read-only, held by another program, not a file
  NotValid = 2,      // no "CHN2" magic, or header or chunk index unreadable
  WriteFailed = 3,   // a fix was not written, or the movie not synced or closed: it may be
                     // partly repaired
  WriteRefused = 4,  // the caller did not let the first fix be written: nothing was written
};

// Why a movie could not be opened, for a front end that tells the reason.
enum class OpenProblem {
  None,
  SystemError,     // the system refused it: `systemError` says why
  IsDirectory,     // a folder
  NotRegularFile,  // a named pipe, a device or a socket: refused before it is opened
};

struct OpenFailure {
  OpenProblem problem = OpenProblem::None;
  long systemError = 0;  // an errno value on POSIX, a Windows error code on Windows
};

// Whether, and when, a walk ended NotValid on its budget of element visits
// (elementVisitBudget()).
enum class OverBudget {
  No,
  Refused,  // before the first chunk: nothing was written
  Stopped,  // where a count read during the walk crossed it: the fixes before were written
            // and synced
};

struct WalkOutcome {
  WalkResult result = WalkResult::CannotOpen;
  std::uint64_t fixCount = 0;    // references fixed (or, in a dry run, fixable)
  OpenFailure openFailure = {};  // with CannotOpen
  OverBudget overBudget = OverBudget::No;
};

}  // namespace vantrel

#endif  // VANTREL_MOVIE_WALK_RESULT_H_
