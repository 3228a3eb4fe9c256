// Large-file offsets for 32-bit POSIX builds; must come before any include.
#ifndef _FILE_OFFSET_BITS
#define _FILE_OFFSET_BITS 64
#endif

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "movie/eintr_retry_posix.h"
#include "movie/file_device.h"

namespace vantrel {
namespace {

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
      const ssize_t got = retried(
          [&] { return ::pread(fd_, out + done, n - done, static_cast<off_t>(offset + done)); });
      if (got <= 0) break;  // the end of the file, or an error: fewer bytes arrived
      done += static_cast<std::size_t>(got);
    }
    return done;
  }

  bool writeAt(std::uint64_t offset, const unsigned char* data, std::size_t n) override {
    std::size_t done = 0;
    while (done < n) {
      const ssize_t put = retried(
          [&] { return ::pwrite(fd_, data + done, n - done, static_cast<off_t>(offset + done)); });
      if (put <= 0) return false;
      done += static_cast<std::size_t>(put);
    }
    return true;
  }

  // The size never changes, so the data is all that must reach the disk.
  bool sync() override {
    return retried([this] { return ::fdatasync(fd_); }) == 0;
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
  const int fd = retried([&] { return ::open(path.c_str(), flags); });
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

}  // namespace

std::unique_ptr<FileDevice> openFileDevice(const std::string& path, OpenMode mode,
                                           OpenFailure* failure) {
  OpenFailure why;
  auto device = openDevice(path, mode, why);
  if (failure != nullptr) *failure = why;
  return device;
}

}  // namespace vantrel
