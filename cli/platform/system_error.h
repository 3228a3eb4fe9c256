#ifndef VANTREL_CLI_PLATFORM_SYSTEM_ERROR_H_
#define VANTREL_CLI_PLATFORM_SYSTEM_ERROR_H_

#include <string>

namespace vantrel::cli {

// What went wrong in the system's own words: `code` is an errno value on
// POSIX and a GetLastError() value on Windows, where the number follows the
// text, since Windows' texts are not always telling.
std::string systemErrorText(long code);

// The same for the error that the last failed system call left.
std::string lastSystemErrorText();

// The system's code for a path longer than it takes: ENAMETOOLONG, or
// ERROR_FILENAME_EXCED_RANGE on Windows.
long pathTooLongError();

}  // namespace vantrel::cli

#endif  // VANTREL_CLI_PLATFORM_SYSTEM_ERROR_H_
