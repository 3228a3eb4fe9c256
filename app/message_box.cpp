#include "app/message_box.h"

namespace vantrel::app {
namespace {

UINT iconStyle(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::None:
      return 0;
    case BoxIcon::Information:
      return MB_ICONINFORMATION;
    case BoxIcon::Warning:
      return MB_ICONWARNING;
    case BoxIcon::Error:
      return MB_ICONERROR;
  }
  return 0;
}

}  // namespace

void showMessage(HWND owner, const MessageBoxContent& content) {
  MessageBoxA(owner, content.text.c_str(), content.caption.c_str(), MB_OK | iconStyle(content.icon));
}

}  // namespace vantrel::app
