#ifndef VANTREL_CLI_PLATFORM_FILE_CALLS_POSIX_H_
#define VANTREL_CLI_PLATFORM_FILE_CALLS_POSIX_H_

#include <cerrno>
#include <string>

namespace vantrel::cli {

// Calls `call` again while a signal breaks it off.
template <typename Call>
auto retried(Call call) {
  decltype(call()) result;
  do {
    result = call();
  } while (result < 0 && errno == EINTR);
  return result;
}

// Makes the list of names in the folder that holds `path` durable, so that a
// name made or removed there survives a crash; false, with errno set, when
// it cannot.
bool syncFolderOf(const std::string& path);

}  // namespace vantrel::cli

#endif  // VANTREL_CLI_PLATFORM_FILE_CALLS_POSIX_H_
