// Large-file offsets for 32-bit POSIX builds; must come before any include.
#ifndef _FILE_OFFSET_BITS
#define _FILE_OFFSET_BITS 64
#endif

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "cli/platform/file_calls_posix.h"
#include "cli/journal/journal_file.h"
#include "cli/platform/system_error.h"

namespace vantrel::cli {
namespace {

int descriptorOf(std::intptr_t handle) { return static_cast<int>(handle); }

// The size of the regular file open as `fd`; -1 (errno set) for anything else.
off_t regularFileSize(int fd) {
  struct stat info;
  if (::fstat(fd, &info) != 0) return -1;
  if (!S_ISREG(info.st_mode)) {
    errno = EINVAL;
    return -1;
  }
  return info.st_size;
}

}  // namespace

std::unique_ptr<JournalFile> JournalFile::adopt(std::intptr_t handle, const std::string& path,
                                                bool created, std::string& why) {
  const int fd = descriptorOf(handle);
  const off_t size = regularFileSize(fd);
  if (size < 0) {
    why = lastSystemErrorText();
    ::close(fd);
    return nullptr;
  }
  return std::unique_ptr<JournalFile>(
      new JournalFile(handle, path, static_cast<std::uint64_t>(size), created));
}

std::unique_ptr<JournalFile> JournalFile::openToAppend(const std::string& path, std::string& why) {
  bool created = true;
  int fd = retried(
      [&] { return ::open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_EXCL | O_CLOEXEC, 0666); });
  if (fd < 0 && errno == EEXIST) {
    created = false;
    fd = retried([&] { return ::open(path.c_str(), O_RDWR | O_APPEND | O_CLOEXEC); });
  }
  if (fd < 0) {
    why = lastSystemErrorText();
    return nullptr;
  }
  return adopt(fd, path, created, why);
}

std::unique_ptr<JournalFile> JournalFile::openToRead(const std::string& path, bool& missing,
                                                     std::string& why) {
  const int fd = retried([&] { return ::open(path.c_str(), O_RDONLY | O_CLOEXEC); });
  missing = fd < 0 && errno == ENOENT;
  if (fd < 0) {
    why = lastSystemErrorText();
    return nullptr;
  }
  return adopt(fd, path, false, why);
}

JournalFile::~JournalFile() { ::close(descriptorOf(handle_)); }

void JournalFile::failed() { why_ = lastSystemErrorText(); }

bool JournalFile::append(const char* data, std::size_t n) {
  std::size_t done = 0;
  while (done < n) {
    const ssize_t put =
        retried([&] { return ::write(descriptorOf(handle_), data + done, n - done); });
    if (put <= 0) {
      if (put == 0) errno = ENOSPC;
      failed();
      size_ += done;
      return false;
    }
    done += static_cast<std::size_t>(put);
  }
  size_ += n;
  return true;
}

std::size_t JournalFile::readAt(std::uint64_t offset, char* out, std::size_t n) {
  std::size_t done = 0;
  while (done < n) {
    const ssize_t got = retried([&] {
      return ::pread(descriptorOf(handle_), out + done, n - done,
                     static_cast<off_t>(offset + done));
    });
    if (got <= 0) break;
    done += static_cast<std::size_t>(got);
  }
  return done;
}

bool JournalFile::sync() {
  // fdatasync also writes the file's new size, which reading it needs.
  if (retried([this] { return ::fdatasync(descriptorOf(handle_)); }) != 0) {
    failed();
    return false;
  }
  if (created_ && !folderSynced_) {
    if (!syncFolderOf(path_)) {
      failed();
      return false;
    }
    folderSynced_ = true;
  }
  return true;
}

void JournalFile::startWriteOut() {
#ifdef SYNC_FILE_RANGE_WRITE
  ::sync_file_range(descriptorOf(handle_), 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
}

std::string removeJournal(const std::string& path) {
  if (::unlink(path.c_str()) != 0 || !syncFolderOf(path)) return lastSystemErrorText();
  return {};
}

}  // namespace vantrel::cli
