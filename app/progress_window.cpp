#include "app/progress_window.h"

#include <commctrl.h>

#include "app/app_messages.h"
#include "app/message_box.h"
#include "app/resource.h"
#include "app/run_state.h"
#include "app/window_progress.h"
#include "movie/movie_walk.h"

namespace vantrel::app {
namespace {

// Sent by the worker when the user has dismissed the result box. The
// window's own procedure then ends the dialog: EndDialog belongs to the
// dialog procedure, not to another thread.
constexpr UINT kWorkerDone = WM_APP + 1;

constexpr INT_PTR kDialogEnded = 0;
constexpr INT_PTR kWorkerNotStarted = 1;

DWORD WINAPI workerMain(LPVOID) {
  RunState& run = theRun();
  WindowProgress progress(run.dialog);
  const WalkOutcome outcome = patchMovie(run.moviePath, run.rules, progress);
  showMessage(run.dialog, walkResultBox(outcome.result, run.displayName, outcome.fixCount));
  SendMessageA(run.dialog, kWorkerDone, 0, 0);
  return 0;
}

// No buttons, and neither WM_COMMAND nor WM_CLOSE is handled: Escape and
// the close box do nothing, so a run cannot be broken off halfway.
INT_PTR CALLBACK progressProcedure(HWND dialog, UINT message, WPARAM, LPARAM) {
  RunState& run = theRun();
  switch (message) {
    case WM_INITDIALOG:
      SetWindowTextA(dialog, progressTitle(run.displayName).c_str());
      run.dialog = dialog;
      run.worker = CreateThread(nullptr, 0, workerMain, nullptr, 0, nullptr);
      if (run.worker == nullptr) EndDialog(dialog, kWorkerNotStarted);
      return FALSE;
    case kWorkerDone:
      EndDialog(dialog, kDialogEnded);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

bool runProgressWindow(HINSTANCE instance) {
  // Dialog 9 holds a progress bar; its window class must exist before the
  // dialog is made, on every Windows version.
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);

  const INT_PTR ended =
      DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_PROGRESS), nullptr, progressProcedure, 0);
  // Closed here, after the dialog: by now the handle is surely stored.
  RunState& run = theRun();
  if (run.worker != nullptr) {
    CloseHandle(run.worker);
    run.worker = nullptr;
  }
  return ended == kDialogEnded;
}

}  // namespace vantrel::app
