#include <io.h>
#include <share.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "movie/file_device.h"

namespace vantrel {
namespace {

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

}  // namespace

std::unique_ptr<FileDevice> openFileDevice(const std::string& path, OpenMode mode,
                                           OpenFailure* failure) {
  OpenFailure why;
  auto device = openDevice(path, mode, why);
  if (failure != nullptr) *failure = why;
  return device;
}

}  // namespace vantrel
