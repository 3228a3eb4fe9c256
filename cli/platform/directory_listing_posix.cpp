#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "cli/platform/directory_listing.h"
#include "cli/platform/system_error.h"

namespace vantrel::cli {
namespace {

PathKind kindOf(const struct stat& status) {
  if (S_ISREG(status.st_mode)) return PathKind::File;
  if (S_ISDIR(status.st_mode)) return PathKind::Directory;
  return PathKind::Other;
}

// What `name` in the open directory `directoryFd` is, following a link only
// to a regular file.
PathKind entryKind(int directoryFd, const char* name) {
  struct stat status;
  if (fstatat(directoryFd, name, &status, AT_SYMLINK_NOFOLLOW) != 0) return PathKind::Missing;
  if (!S_ISLNK(status.st_mode)) return kindOf(status);
  if (fstatat(directoryFd, name, &status, 0) != 0) return PathKind::Other;
  return S_ISREG(status.st_mode) ? PathKind::File : PathKind::Other;
}

}  // namespace

PathKind pathKind(const std::string& path) {
  struct stat status;
  if (stat(path.c_str(), &status) != 0) return PathKind::Missing;
  return kindOf(status);
}

std::optional<std::string> listDirectory(const std::string& path,
                                         std::vector<DirectoryEntry>& entries) {
  entries.clear();
  DIR* directory = opendir(path.c_str());
  if (directory == nullptr) return lastSystemErrorText();
  for (;;) {
    errno = 0;
    const dirent* entry = readdir(directory);
    if (entry == nullptr) break;
    if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
    entries.push_back({entry->d_name, entryKind(dirfd(directory), entry->d_name)});
  }
  const int error = errno;
  closedir(directory);
  if (error != 0) return systemErrorText(error);
  return std::nullopt;
}

std::string pathInDirectory(const std::string& directory, const std::string& name) {
  if (directory.empty() || directory.back() == '/') return directory + name;
  return directory + '/' + name;
}

}  // namespace vantrel::cli
