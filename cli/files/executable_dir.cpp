#include "cli/files/executable_dir.h"

#ifdef _WIN32
#include <windows.h>

#include "cli/platform/wide_path.h"
#else
#include <unistd.h>

#include <climits>
#endif

namespace vantrel::cli {
namespace {

std::string directoryOf(const std::string& path) {
  const std::size_t cut = path.find_last_of("/\\");
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

std::string runningProgramPath() {
#ifdef _WIN32
  // The buffer grows until the path fits: the program may lie deeper than MAX_PATH.
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD size = static_cast<DWORD>(path.size());
    const DWORD length = GetModuleFileNameW(nullptr, &path[0], size);
    if (length == 0) return std::string();
    if (length < size) return narrowPath(path.substr(0, length));
    path.resize(path.size() * 2);
  }
#else
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path);
  return length > 0 && length < static_cast<ssize_t>(sizeof path)
             ? std::string(path, static_cast<std::size_t>(length))
             : std::string();
#endif
}

}  // namespace

std::string executableDirectory(const char* argv0) {
  std::string program = runningProgramPath();
  if (program.empty() && argv0 != nullptr) program = argv0;
  return directoryOf(program);
}

}  // namespace vantrel::cli
