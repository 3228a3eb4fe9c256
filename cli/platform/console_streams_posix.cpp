#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <iostream>

#include "cli/platform/console_streams.h"
#include "cli/platform/file_calls_posix.h"
#include "cli/platform/system_error.h"
#include "cli/reports/output_buffer.h"

namespace vantrel::cli {
namespace {

bool isOpen(int fd) { return ::fcntl(fd, F_GETFD) != -1 || errno != EBADF; }

// Whether `fd` was closed when the program started; it then holds /dev/null.
bool fillIfClosed(int fd) {
  if (isOpen(fd)) return false;
  const int opened = ::open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
  if (opened >= 0 && opened != fd) ::close(opened);  // some lower number was free after all
  return true;
}

std::optional<std::string> writeAll(int fd, const char* bytes, std::size_t size) {
  while (size > 0) {
    const ssize_t put = retried([&] { return ::write(fd, bytes, size); });
    if (put < 0) return lastSystemErrorText();
    bytes += put;
    size -= static_cast<std::size_t>(put);
  }
  return std::nullopt;
}

}  // namespace

// Terminals here take UTF-8 and the erase-line code as they come.
ConsoleStreams openConsoleStreams() {
  std::signal(SIGPIPE, SIG_IGN);
  // In order, so that each /dev/null lands on the lowest number, the closed one.
  fillIfClosed(STDIN_FILENO);
  const bool outClosed = fillIfClosed(STDOUT_FILENO);
  fillIfClosed(STDERR_FILENO);
  // Static, so that what it holds is written out when the program ends.
  static OutputBuffer outBuffer([outClosed](const char* bytes, std::size_t size) {
    return outClosed ? std::optional<std::string>(systemErrorText(EBADF))
                     : writeAll(STDOUT_FILENO, bytes, size);
  });
  static std::ostream out(&outBuffer);
  return ConsoleStreams{std::cin, out, std::cerr, isatty(STDERR_FILENO) != 0, outBuffer.failure()};
}

// Text and bytes are the same here.
void writeStandardOutputAsBytes() {}

}  // namespace vantrel::cli
