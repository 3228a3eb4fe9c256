// Large-file offsets for 32-bit POSIX builds; must come before any include.
#ifndef _FILE_OFFSET_BITS
#define _FILE_OFFSET_BITS 64
#endif

#include "movie/file_device.h"

#ifdef _WIN32
#include <io.h>
#include <share.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace vantrel {
namespace {

#ifdef _WIN32

// A stdio stream without a buffer of its own: each read and write is one
// call of the system's, at the position just set. _fsopen with _SH_DENYNO
// leaves the file open to other programs for reading and writing; 64-bit
// seeks reach past 2 GiB; _commit is FlushFileBuffers.
class SharedDevice final : public FileDevice {
 public:
  SharedDevice(std::FILE* file, std::uint64_t size) : file_(file), size_(size) {}
  ~SharedDevice() override {
    if (file_ != nullptr) std::fclose(file_);
  }

  std::uint64_t size() const override { return size_; }

  std::size_t readAt(std::uint64_t offset, unsigned char* out, std::size_t n) override {
    if (_fseeki64(file_, static_cast<long long>(offset), SEEK_SET) != 0) return 0;
    return std::fread(out, 1, n, file_);
  }

  bool writeAt(std::uint64_t offset, const unsigned char* data, std::size_t n) override {
    if (_fseeki64(file_, static_cast<long long>(offset), SEEK_SET) != 0) return false;
    return std::fwrite(data, 1, n, file_) == n;
  }

  bool sync() override { return std::fflush(file_) == 0 && _commit(_fileno(file_)) == 0; }

  bool close() override {
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    return closed;
  }

 private:
  std::FILE* file_;
  std::uint64_t size_;
};

// The system's error code for the open that just failed: the C runtime
// keeps the Windows code beside errno.
long lastOpenError() {
  if (_doserrno != 0) return static_cast<long>(_doserrno);
  return errno == ENOENT ? 2L : 5L;  // ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED
}

std::unique_ptr<FileDevice> openDevice(const std::string& path, OpenMode mode,
                                       OpenFailure& failure) {
  // Looked at first: a folder is named as one (opening it only says access
  // is denied), and a device is never opened.
  struct _stati64 info;
  if (_stati64(path.c_str(), &info) == 0 && (info.st_mode & _S_IFMT) != _S_IFREG) {
    failure.problem = (info.st_mode & _S_IFMT) == _S_IFDIR ? OpenProblem::IsDirectory
                                                           : OpenProblem::NotRegularFile;
    return nullptr;
  }
  _doserrno = 0;
  std::FILE* file = _fsopen(path.c_str(), mode == OpenMode::ReadWrite ? "r+b" : "rb", _SH_DENYNO);
  if (file == nullptr) {
    failure = OpenFailure{OpenProblem::SystemError, lastOpenError()};
    return nullptr;
  }
  std::setvbuf(file, nullptr, _IONBF, 0);  // MovieStream keeps windows of its own
  long long size = -1;
  if (_fseeki64(file, 0, SEEK_END) == 0) size = _ftelli64(file);
  if (size < 0) {
    failure = OpenFailure{OpenProblem::SystemError, lastOpenError()};
    std::fclose(file);
    return nullptr;
  }
  return std::make_unique<SharedDevice>(file, static_cast<std::uint64_t>(size));
}

#else

// A plain file descriptor: pread and pwrite at the offset asked for, each
// retried when a signal breaks in and carried on after a short transfer.
// Opened with no lock, so other programs may read and write meanwhile.
class DescriptorDevice final : public FileDevice {
 public:
  DescriptorDevice(int fd, std::uint64_t size) : fd_(fd), size_(size) {}
  ~DescriptorDevice() override {
    if (fd_ >= 0) ::close(fd_);
  }

  std::uint64_t size() const override { return size_; }

  std::size_t readAt(std::uint64_t offset, unsigned char* out, std::size_t n) override {
    std::size_t done = 0;
    while (done < n) {
      const ssize_t got = ::pread(fd_, out + done, n - done, static_cast<off_t>(offset + done));
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;  // the end of the file, or an error: fewer bytes arrived
      done += static_cast<std::size_t>(got);
    }
    return done;
  }

  bool writeAt(std::uint64_t offset, const unsigned char* data, std::size_t n) override {
    std::size_t done = 0;
    while (done < n) {
      const ssize_t put = ::pwrite(fd_, data + done, n - done, static_cast<off_t>(offset + done));
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) return false;
      done += static_cast<std::size_t>(put);
    }
    return true;
  }

  // The size never changes, so the data is all that must reach the disk.
  bool sync() override {
    int synced;
    do {
      synced = ::fdatasync(fd_);
    } while (synced != 0 && errno == EINTR);
    return synced == 0;
  }

  // Not retried on EINTR: the descriptor is gone whatever close answers.
  bool close() override {
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    return closed;
  }

 private:
  int fd_;
  std::uint64_t size_;
};

// What `info` names, when it is not a regular file.
OpenProblem problemWith(const struct stat& info) {
  if (S_ISREG(info.st_mode)) return OpenProblem::None;
  return S_ISDIR(info.st_mode) ? OpenProblem::IsDirectory : OpenProblem::NotRegularFile;
}

std::unique_ptr<FileDevice> openDevice(const std::string& path, OpenMode mode,
                                       OpenFailure& failure) {
  // Looked at before it is opened: opening a named pipe waits for a writer,
  // and opening a device may set it going.
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) {
    failure = OpenFailure{OpenProblem::SystemError, errno};
    return nullptr;
  }
  if (problemWith(info) != OpenProblem::None) {
    failure.problem = problemWith(info);
    return nullptr;
  }
  // O_NONBLOCK all the same, for a pipe put in the file's place meanwhile;
  // regular files ignore it.
  const int flags = (mode == OpenMode::ReadWrite ? O_RDWR : O_RDONLY) | O_CLOEXEC | O_NONBLOCK;
  int fd;
  do {
    fd = ::open(path.c_str(), flags);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    failure = errno == EISDIR ? OpenFailure{OpenProblem::IsDirectory, 0}
                              : OpenFailure{OpenProblem::SystemError, errno};
    return nullptr;
  }
  // Whatever lies at the path now, it must still be a regular file.
  if (::fstat(fd, &info) != 0) {
    failure = OpenFailure{OpenProblem::SystemError, errno};
  } else if (problemWith(info) != OpenProblem::None) {
    failure.problem = problemWith(info);
  }
  if (failure.problem != OpenProblem::None) {
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<DescriptorDevice>(fd, static_cast<std::uint64_t>(info.st_size));
}

#endif

}  // namespace

std::unique_ptr<FileDevice> openFileDevice(const std::string& path, OpenMode mode,
                                           OpenFailure* failure) {
  OpenFailure why;
  auto device = openDevice(path, mode, why);
  if (failure != nullptr) *failure = why;
  return device;
}

}  // namespace vantrel
