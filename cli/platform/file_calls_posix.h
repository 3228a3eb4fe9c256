#ifndef VANTREL_CLI_PLATFORM_FILE_CALLS_POSIX_H_
#define VANTREL_CLI_PLATFORM_FILE_CALLS_POSIX_H_

#include <string>

// retried(), for the calls here and in each *_posix.cpp of the program.
#include "movie/eintr_retry_posix.h"

namespace vantrel::cli {

// Makes the list of names in the folder that holds `path` durable, so that a
// name made or removed there survives a crash; false, with errno set, when
// it cannot.
bool syncFolderOf(const std::string& path);

}  // namespace vantrel::cli

#endif  // VANTREL_CLI_PLATFORM_FILE_CALLS_POSIX_H_
