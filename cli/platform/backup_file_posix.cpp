// Large-file offsets for 32-bit POSIX builds; must come before any include.
#ifndef _FILE_OFFSET_BITS
#define _FILE_OFFSET_BITS 64
#endif

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "cli/files/backup_file.h"
#include "cli/files/file_names.h"
#include "cli/platform/file_calls_posix.h"
#include "cli/platform/system_error.h"

namespace vantrel::cli {
namespace {

std::string reasonOf(int error) { return systemErrorText(error); }

// Copies all that `from` holds to `to`; false, with errno set, on failure.
bool copyBytes(int from, int to) {
  std::vector<unsigned char> buffer(kCopyBufferSize);
  for (;;) {
    const ssize_t got = retried([&] { return ::read(from, buffer.data(), buffer.size()); });
    if (got <= 0) return got == 0;
    for (ssize_t done = 0; done < got;) {
      const ssize_t put = retried([&] { return ::write(to, buffer.data() + done, got - done); });
      if (put < 0) return false;
      done += put;
    }
  }
}

// Gives `temporary` the name `target` unless a file has it; 0, or the error.
int nameWithoutReplacing(const std::string& temporary, const std::string& target) {
#ifdef RENAME_NOREPLACE
  if (::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) {
    return 0;
  }
  // File systems that cannot rename this way still make hard links.
  if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return errno;
#endif
  if (::link(temporary.c_str(), target.c_str()) != 0) return errno;
  ::unlink(temporary.c_str());
  return 0;
}

// A new file beside `target`, made only if no file has its name yet; -1,
// with errno set, when none could be made.
int createTemporary(const std::string& target, std::string& temporary) {
  for (unsigned attempt = 0;; ++attempt) {
    temporary = temporaryNameBeside(target, static_cast<unsigned long>(::getpid()), attempt);
    const int fd = retried(
        [&] { return ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600); });
    if (fd >= 0 || errno != EEXIST || attempt + 1 == kTemporaryAttempts) return fd;
  }
}

std::optional<std::string> copyFile(const std::string& source, const std::string& target) {
  struct stat existing;
  if (::lstat(target.c_str(), &existing) == 0) return reasonOf(EEXIST);  // before any copying
  const int from = retried([&] { return ::open(source.c_str(), O_RDONLY | O_CLOEXEC); });
  struct stat info;
  if (from < 0 || ::fstat(from, &info) != 0) {
    const int error = errno;
    if (from >= 0) ::close(from);
    return reasonOf(error);
  }
  std::string temporary;
  const int to = createTemporary(target, temporary);
  if (to < 0) {
    const int error = errno;
    ::close(from);
    return reasonOf(error);
  }
  bool copied = ::fchmod(to, info.st_mode & 0777) == 0 && copyBytes(from, to) &&
                retried([to] { return ::fsync(to); }) == 0;
  int error = copied ? 0 : errno;
  ::close(from);
  if (::close(to) != 0 && copied) {
    copied = false;
    error = errno;
  }
  if (copied) {
    error = nameWithoutReplacing(temporary, target);
    copied = error == 0;
  }
  if (!copied) {
    ::unlink(temporary.c_str());
    return reasonOf(error != 0 ? error : EIO);
  }
  if (!syncFolderOf(target)) return reasonOf(errno);
  return std::nullopt;
}

}  // namespace

std::optional<std::string> copyToNewFile(const std::string& source, const std::string& target) {
  return copyFile(source, target);
}

}  // namespace vantrel::cli
