#include <windows.h>

#include "cli/platform/system_error.h"

namespace vantrel::cli {

std::string systemErrorText(long code) {
  const auto error = static_cast<DWORD>(code);
  char* text = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string reason = length > 0 ? std::string(text, length) : std::string();
  LocalFree(text);
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' ||
                             reason.back() == '.' || reason.back() == ' ')) {
    reason.pop_back();
  }
  return reason + " (error " + std::to_string(error) + ")";
}

std::string lastSystemErrorText() { return systemErrorText(static_cast<long>(GetLastError())); }

long pathTooLongError() { return ERROR_FILENAME_EXCED_RANGE; }

}  // namespace vantrel::cli
