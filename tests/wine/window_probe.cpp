#include "tests/wine/window_probe.h"

#include <commctrl.h>

namespace vantrel::wine {
namespace {

constexpr int kMessageBoxTextId = 0xFFFF;
constexpr int kProgressBarId = 1003;
constexpr UINT kReplyTimeoutMs = 10000;

struct Search {
  DWORD processId;
  std::vector<HWND> found;
};

BOOL CALLBACK collectWindow(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<Search*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search->processId && IsWindowVisible(window)) search->found.push_back(window);
  return TRUE;
}

bool ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR& reply) {
  return SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kReplyTimeoutMs,
                             &reply) != 0;
}

bool isDialog(HWND window) { return className(window) == "#32770"; }

}  // namespace

std::vector<HWND> visibleWindowsOf(DWORD processId) {
  Search search{processId, {}};
  EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string windowText(HWND window) {
  DWORD_PTR length = 0;
  if (window == nullptr || !ask(window, WM_GETTEXTLENGTH, 0, 0, length)) return "<no reply>";
  std::string text(length + 1, '\0');
  DWORD_PTR copied = 0;
  if (!ask(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]), copied)) {
    return "<no reply>";
  }
  text.resize(copied);
  return text;
}

std::string className(HWND window) {
  char name[256];
  const int length = GetClassNameA(window, name, sizeof name);
  return std::string(name, length > 0 ? static_cast<std::size_t>(length) : 0);
}

HWND ownerOf(HWND window) { return GetWindow(window, GW_OWNER); }

bool isMessageBox(HWND window) {
  return isDialog(window) && GetDlgItem(window, kMessageBoxTextId) != nullptr &&
         !isProgressWindow(window);
}

std::string messageBoxText(HWND box) { return windowText(GetDlgItem(box, kMessageBoxTextId)); }

bool showsIcon(HWND box) {
  for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    const LONG style = GetWindowLongA(child, GWL_STYLE);
    // A box without an icon may keep the control, holding none.
    if (className(child) == "Static" && (style & SS_TYPEMASK) == SS_ICON && IsWindowVisible(child) &&
        SendMessageA(child, STM_GETICON, 0, 0) != 0) {
      return true;
    }
  }
  return false;
}

bool isProgressWindow(HWND window) { return isDialog(window) && progressBarOf(window) != nullptr; }

HWND progressBarOf(HWND window) {
  HWND bar = GetDlgItem(window, kProgressBarId);
  return bar != nullptr && className(bar) == PROGRESS_CLASSA ? bar : nullptr;
}

std::optional<BarState> readBar(HWND bar) {
  DWORD_PTR low = 0;
  DWORD_PTR high = 0;
  DWORD_PTR position = 0;
  if (bar == nullptr || !ask(bar, PBM_GETRANGE, TRUE, 0, low) || !ask(bar, PBM_GETRANGE, FALSE, 0, high) ||
      !ask(bar, PBM_GETPOS, 0, 0, position)) {
    return std::nullopt;
  }
  return BarState{static_cast<int>(low), static_cast<int>(high), static_cast<int>(position)};
}

void pressButton(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

std::function<bool(HWND)> messageBoxTitled(const std::string& caption) {
  return [caption](HWND window) { return isMessageBox(window) && windowText(window) == caption; };
}

std::function<bool(HWND)> dialogTitled(const std::string& title) {
  return [title](HWND window) { return isDialog(window) && windowText(window) == title; };
}

std::function<bool(HWND)> anyProgressWindow() {
  return [](HWND window) { return isProgressWindow(window); };
}

}  // namespace vantrel::wine
