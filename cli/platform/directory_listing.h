#ifndef VANTREL_CLI_PLATFORM_DIRECTORY_LISTING_H_
#define VANTREL_CLI_PLATFORM_DIRECTORY_LISTING_H_

#include <optional>
#include <string>
#include <vector>

#include "cli/platform/system_paths.h"

namespace vantrel::cli {

// What a path names. A symbolic link counts as what it points to, except
// where an entry says otherwise.
enum class PathKind {
  Missing,    // nothing, or nothing the program may look at
  File,       // a regular file
  Directory,  // a directory
  Other,      // a device, a pipe, a socket, or a link that leads nowhere
};

PathKind pathKind(const std::string& path);

// One name in a directory. A symbolic link to a directory is Other, so
// that walking a tree never follows one: a link may lead back up the tree,
// or out of it. A link to a regular file is a File.
struct DirectoryEntry {
  std::string name;
  PathKind kind = PathKind::Other;
};

// The entries of the directory `path`, without "." and "..", in no set
// order; on failure, why, in the system's words.
std::optional<std::string> listDirectory(const std::string& path,
                                         std::vector<DirectoryEntry>& entries);

// `name` in the directory `directory`, with kPathSeparator between them
// unless `directory` ends in a separator already.
std::string pathInDirectory(const std::string& directory, const std::string& name);

}  // namespace vantrel::cli

#endif  // VANTREL_CLI_PLATFORM_DIRECTORY_LISTING_H_
