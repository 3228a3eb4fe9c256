// Large-file offsets for 32-bit POSIX builds; must come before any include.
#ifndef _FILE_OFFSET_BITS
#define _FILE_OFFSET_BITS 64
#endif

#include "cli/files/backup_file.h"

#include <vector>

#ifdef _WIN32
#include <windows.h>

#include "cli/platform/wide_path.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "cli/platform/file_calls_posix.h"
#endif

#include "cli/files/file_names.h"
#include "cli/platform/system_error.h"

namespace vantrel::cli {
namespace {

constexpr std::size_t kCopyBufferSize = std::size_t{1} << 18;
// Names tried for the temporary copy before giving up.
constexpr unsigned kTemporaryAttempts = 100;

#ifdef _WIN32

std::string reasonOf(DWORD error) { return systemErrorText(static_cast<long>(error)); }

bool copyBytes(HANDLE from, HANDLE to) {
  std::vector<char> buffer(kCopyBufferSize);
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(from, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) {
      return false;
    }
    if (got == 0) return true;
    DWORD put = 0;
    if (!WriteFile(to, buffer.data(), got, &put, nullptr)) return false;
    if (put != got) {
      SetLastError(ERROR_DISK_FULL);
      return false;
    }
  }
}

// A new file beside `target`, made only if no file has its name yet.
HANDLE createTemporary(const std::string& target, std::wstring& temporary) {
  for (unsigned attempt = 0;; ++attempt) {
    temporary = widePath(temporaryNameBeside(target, GetCurrentProcessId(), attempt));
    HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS ||
        attempt + 1 == kTemporaryAttempts) {
      return file;
    }
  }
}

// Through the wide functions, which take paths longer than MAX_PATH.
std::optional<std::string> copyFile(const std::string& sourcePath, const std::string& targetPath) {
  const std::wstring source = widePath(sourcePath);
  const std::wstring target = widePath(targetPath);
  if (GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES) {
    return reasonOf(ERROR_FILE_EXISTS);  // known before a byte is copied
  }
  HANDLE from = CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (from == INVALID_HANDLE_VALUE) return reasonOf(GetLastError());
  std::wstring temporary;
  HANDLE to = createTemporary(targetPath, temporary);
  if (to == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    CloseHandle(from);
    return reasonOf(error);
  }
  bool copied = copyBytes(from, to) && FlushFileBuffers(to);
  DWORD error = copied ? 0 : GetLastError();
  CloseHandle(from);
  if (!CloseHandle(to) && copied) {
    copied = false;
    error = GetLastError();
  }
  // Without MOVEFILE_REPLACE_EXISTING the move fails when `target` exists.
  if (copied && !MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
    copied = false;
    error = GetLastError();
  }
  if (!copied) {
    DeleteFileW(temporary.c_str());
    return reasonOf(error);
  }
  return std::nullopt;
}

#else

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

#endif

}  // namespace

std::optional<std::string> copyToNewFile(const std::string& source, const std::string& target) {
  return copyFile(source, target);
}

}  // namespace vantrel::cli
