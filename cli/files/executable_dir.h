#ifndef VANTREL_CLI_FILES_EXECUTABLE_DIR_H_
#define VANTREL_CLI_FILES_EXECUTABLE_DIR_H_

#include <string>

namespace vantrel::cli {

// The folder that holds the running program, with a trailing separator, so
// that a file name can follow it directly. `argv0` is the fallback where the
// system cannot say.
std::string executableDirectory(const char* argv0);

}  // namespace vantrel::cli

#endif  // VANTREL_CLI_FILES_EXECUTABLE_DIR_H_
