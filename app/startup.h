#ifndef VANTREL_APP_STARTUP_H_
#define VANTREL_APP_STARTUP_H_

#include <windows.h>

namespace vantrel::app {

// The whole program: loads fix.dat from beside the executable, takes the
// movie from `commandLine` or asks for it, and runs it behind the progress
// window. Returns the exit code (app/exit_codes.h).
int runProgram(HINSTANCE instance, const char* commandLine);

}  // namespace vantrel::app

#endif  // VANTREL_APP_STARTUP_H_
