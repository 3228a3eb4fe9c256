#include <windows.h>

#include "cli/platform/directory_listing.h"
#include "cli/platform/system_error.h"
#include "cli/platform/wide_path.h"

namespace vantrel::cli {
namespace {

// A reparse point that is a directory is a symbolic link or a junction.
PathKind kindOf(DWORD attributes) {
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return PathKind::File;
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return PathKind::Other;
  return PathKind::Directory;
}

bool endsInSeparator(const std::string& path) {
  return !path.empty() && (path.back() == '\\' || path.back() == '/' || path.back() == ':');
}

}  // namespace

PathKind pathKind(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(widePath(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::Missing;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::Directory : PathKind::File;
}

std::optional<std::string> listDirectory(const std::string& path,
                                         std::vector<DirectoryEntry>& entries) {
  entries.clear();
  WIN32_FIND_DATAW found;
  const std::wstring pattern = widePath(pathInDirectory(path, "*"));
  HANDLE search =
      FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
  if (search == INVALID_HANDLE_VALUE) {
    // An empty drive root has not even "." to find.
    if (GetLastError() == ERROR_FILE_NOT_FOUND) return std::nullopt;
    return lastSystemErrorText();
  }
  do {
    const std::string name = narrowPath(found.cFileName);
    if (name == "." || name == "..") continue;
    entries.push_back({name, kindOf(found.dwFileAttributes)});
  } while (FindNextFileW(search, &found));
  const DWORD error = GetLastError();
  FindClose(search);
  if (error != ERROR_NO_MORE_FILES) return systemErrorText(static_cast<long>(error));
  return std::nullopt;
}

std::string pathInDirectory(const std::string& directory, const std::string& name) {
  if (directory.empty() || endsInSeparator(directory)) return directory + name;
  return directory + '\\' + name;
}

}  // namespace vantrel::cli
