#include "cli/executable_dir.h"

#ifdef _WIN32
#include <windows.h>
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
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::string(path, length) : std::string();
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
