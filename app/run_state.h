#ifndef VANTREL_APP_RUN_STATE_H_
#define VANTREL_APP_RUN_STATE_H_

#include <windows.h>

#include <string>

#include "fixrules/fix_table.h"

namespace vantrel::app {

// The process-wide state of the one run this program makes. Start-up fills
// the rules and the movie's names before the progress window exists; the
// window procedure sets `dialog` before it starts the worker, and `worker`
// right after; the worker only reads.
struct RunState {
  FixTable rules;
  std::string moviePath;
  std::string displayName;
  HWND dialog = nullptr;
  HANDLE worker = nullptr;
};

RunState& theRun();

}  // namespace vantrel::app

#endif  // VANTREL_APP_RUN_STATE_H_
