#include <unistd.h>

#include <climits>

#include "cli/platform/running_program.h"

namespace vantrel::cli {

std::string runningProgramPath() {
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path);
  return length > 0 && length < static_cast<ssize_t>(sizeof path)
             ? std::string(path, static_cast<std::size_t>(length))
             : std::string();
}

}  // namespace vantrel::cli
