#ifndef VANTREL_APP_PROGRESS_WINDOW_H_
#define VANTREL_APP_PROGRESS_WINDOW_H_

#include <windows.h>

namespace vantrel::app {

// Runs the movie named in theRun() behind the modal progress window, on a
// worker thread, and returns when the user has dismissed the result box.
// False when the window could not be shown or the worker not started; the
// movie is then untouched.
bool runProgressWindow(HINSTANCE instance);

}  // namespace vantrel::app

#endif  // VANTREL_APP_PROGRESS_WINDOW_H_
