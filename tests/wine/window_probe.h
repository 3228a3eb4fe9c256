#ifndef VANTREL_TESTS_WINE_WINDOW_PROBE_H_
#define VANTREL_TESTS_WINE_WINDOW_PROBE_H_

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

// Finding and reading the windows of another process with ordinary Win32
// calls. Only messages that the system carries across processes are used:
// text goes through WM_GETTEXT, and the progress bar's limits are asked for
// one at a time, since a PBRANGE pointer would not cross.
namespace vantrel::wine {

// The visible top-level windows of process `processId`.
std::vector<HWND> visibleWindowsOf(DWORD processId);

std::string windowText(HWND window);
std::string className(HWND window);
HWND ownerOf(HWND window);

// A message box: a dialog with its text in static control 0xFFFF.
bool isMessageBox(HWND window);
std::string messageBoxText(HWND box);
// Whether the box shows an icon (a visible static control of icon style
// that holds one).
bool showsIcon(HWND box);

// The progress window: a dialog with a progress bar as control 1003.
bool isProgressWindow(HWND window);
HWND progressBarOf(HWND window);

struct BarState {
  int low = -1;
  int high = -1;
  int position = -1;
};
std::optional<BarState> readBar(HWND bar);

// Presses a dialog's button `id` as a click on it would.
void pressButton(HWND dialog, int id);

// Matchers for VantrelRun::waitForWindow.
std::function<bool(HWND)> messageBoxTitled(const std::string& caption);
std::function<bool(HWND)> dialogTitled(const std::string& title);
std::function<bool(HWND)> anyProgressWindow();

}  // namespace vantrel::wine

#endif  // VANTREL_TESTS_WINE_WINDOW_PROBE_H_
