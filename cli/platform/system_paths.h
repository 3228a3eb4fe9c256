#ifndef VANTREL_CLI_PLATFORM_SYSTEM_PATHS_H_
#define VANTREL_CLI_PLATFORM_SYSTEM_PATHS_H_

#include <cstddef>
#include <string>

// How the system the program runs on spells its paths, and how long it lets
// them be (system_paths_posix.cpp, system_paths_windows.cpp).
namespace vantrel::cli {

// The characters that end a folder's name in a path: "/" on POSIX, "\\"
// and "/" on Windows.
extern const char kPathSeparators[];

// The separator the program puts between a folder and a name.
extern const char kPathSeparator;

// Whether the program expands the wildcards in its movie arguments itself,
// as the Windows shell hands them over as they stand.
extern const bool kProgramExpandsWildcards;

// The longest path the system takes, without its terminating NUL: PATH_MAX
// on POSIX, in bytes; 32,767 characters on Windows, as UTF-16 counts them.
extern const std::size_t kMaxListedPath;

// The most bytes a path that long can take here: on Windows a UTF-16
// character takes up to three bytes of UTF-8.
extern const std::size_t kMaxPathBytes;

// The length of `path` as the system counts it against kMaxListedPath.
std::size_t pathLength(const std::string& path);

}  // namespace vantrel::cli

#endif  // VANTREL_CLI_PLATFORM_SYSTEM_PATHS_H_
