// Vantrel.exe: repairs a QELM movie in place, with the rules of the fix.dat
// that lies beside it.

#include <windows.h>

#include "app/startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  return vantrel::app::runProgram(instance, commandLine);
}
