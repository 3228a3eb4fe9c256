#include "cli/platform/file_calls_posix.h"

#include <fcntl.h>
#include <unistd.h>

#include "movie/path_parts.h"

namespace vantrel::cli {

bool syncFolderOf(const std::string& path) {
  const std::size_t nameAt = lastPartStart(path, "/");
  const std::string folder = nameAt == 0 ? "." : nameAt == 1 ? "/" : path.substr(0, nameAt - 1);
  const int fd =
      retried([&] { return ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); });
  if (fd < 0) return false;
  const bool synced = retried([fd] { return ::fsync(fd); }) == 0;
  const int error = errno;
  ::close(fd);
  errno = error;
  return synced;
}

}  // namespace vantrel::cli
