#ifndef VANTREL_CLI_FILES_MOVIE_TREE_H_
#define VANTREL_CLI_FILES_MOVIE_TREE_H_

#include <functional>
#include <string>

namespace vantrel::cli {

// Whether `name` ends in ".qlm", in any letter case.
bool hasMovieName(const std::string& name);

// Calls `movie` with the path of each file beneath the directory `root`
// whose name ends in ".qlm", in any letter case, in sorted order of the
// whole path, byte by byte; and `unreadable` with each directory beneath it
// (`root` included) that cannot be read, and why. Symbolic links to
// directories are not followed. Only the listings of the directories on the
// way down are held at once, never the whole tree.
void forEachMovieBeneath(
    const std::string& root, const std::function<void(const std::string& path)>& movie,
    const std::function<void(const std::string& path, const std::string& why)>& unreadable);

}  // namespace vantrel::cli

#endif  // VANTREL_CLI_FILES_MOVIE_TREE_H_
