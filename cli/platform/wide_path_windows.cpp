#include <windows.h>

#include "cli/platform/wide_path.h"

namespace vantrel::cli {

std::wstring widePath(const std::string& path) {
  if (path.empty()) return std::wstring();
  const int size = static_cast<int>(path.size());
  const int length = MultiByteToWideChar(CP_ACP, 0, path.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, path.data(), size, &wide[0], length);
  return wide;
}

std::string narrowPath(const std::wstring& path) {
  if (path.empty()) return std::string();
  const int size = static_cast<int>(path.size());
  const int length =
      WideCharToMultiByte(CP_ACP, 0, path.data(), size, nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, 0, path.data(), size, &narrow[0], length, nullptr, nullptr);
  return narrow;
}

}  // namespace vantrel::cli
