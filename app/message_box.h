#ifndef VANTREL_APP_MESSAGE_BOX_H_
#define VANTREL_APP_MESSAGE_BOX_H_

#include <windows.h>

#include "app/app_messages.h"

namespace vantrel::app {

// Shows `content` in a message box with an OK button, owned by `owner`
// (none when null), and waits until the user dismisses it.
void showMessage(HWND owner, const MessageBoxContent& content);

}  // namespace vantrel::app

#endif  // VANTREL_APP_MESSAGE_BOX_H_
