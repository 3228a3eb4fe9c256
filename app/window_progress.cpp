#include "app/window_progress.h"

#include <commctrl.h>

#include "app/app_messages.h"
#include "app/message_box.h"
#include "app/resource.h"

namespace vantrel::app {

void WindowProgress::begin(std::uint32_t total) {
  SendDlgItemMessageA(dialog_, IDC_PROGRESS, PBM_SETRANGE32, 0, static_cast<LPARAM>(total));
  SendDlgItemMessageA(dialog_, IDC_PROGRESS, PBM_SETSTEP, 1, 0);
}

void WindowProgress::step() { SendDlgItemMessageA(dialog_, IDC_PROGRESS, PBM_STEPIT, 0, 0); }

void WindowProgress::writeFailed(std::uint64_t) {
  // Only the first failed write of a run is shown: on a full disk many may
  // fail, and a modal box for each would hold the user for as long as the
  // movie has fixes. The run ends with the write-failed box anyway.
  if (toldWriteFailed_) return;
  toldWriteFailed_ = true;
  showMessage(nullptr, writeFailedBox());
}

}  // namespace vantrel::app
