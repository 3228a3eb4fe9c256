#include <windows.h>

#include "cli/platform/running_program.h"
#include "cli/platform/wide_path.h"

namespace vantrel::cli {

std::string runningProgramPath() {
  // The buffer grows until the path fits: the program may lie deeper than MAX_PATH.
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD size = static_cast<DWORD>(path.size());
    const DWORD length = GetModuleFileNameW(nullptr, &path[0], size);
    if (length == 0) return std::string();
    if (length < size) return narrowPath(path.substr(0, length));
    path.resize(path.size() * 2);
  }
}

}  // namespace vantrel::cli
