#ifndef VANTREL_CLI_PLATFORM_WIDE_PATH_H_
#define VANTREL_CLI_PLATFORM_WIDE_PATH_H_

#include <string>

// Windows only. Paths reach the program in the ANSI code page (UTF-8 where
// the manifest is honoured); the system's wide functions take them at any
// length, where the "A" ones may stop at MAX_PATH.
namespace vantrel::cli {

// `path` for the wide functions.
std::wstring widePath(const std::string& path);

// A path that a wide function gave, as the program's other paths are.
std::string narrowPath(const std::wstring& path);

}  // namespace vantrel::cli

#endif  // VANTREL_CLI_PLATFORM_WIDE_PATH_H_
