#ifndef VANTREL_APP_EXIT_CODES_H_
#define VANTREL_APP_EXIT_CODES_H_

namespace vantrel::app {

// How the Windows program ends. A cancelled file dialog and every walk
// result, failures included, end with kExitDone: the user has been told.
enum ExitCode : int {
  kExitDone = 0,
  kExitNoRules = 1,   // fix.dat could not be opened
  kExitNoWindow = 2,  // the progress window could not be shown
};

}  // namespace vantrel::app

#endif  // VANTREL_APP_EXIT_CODES_H_
