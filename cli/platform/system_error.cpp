#include "cli/platform/system_error.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <cstring>
#endif

namespace vantrel::cli {

#ifdef _WIN32

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

#else

std::string systemErrorText(long code) { return std::strerror(static_cast<int>(code)); }

std::string lastSystemErrorText() { return systemErrorText(errno); }

#endif

}  // namespace vantrel::cli
