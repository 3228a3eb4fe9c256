// Large-file offsets for 32-bit POSIX builds; must come before any include.
#ifndef _FILE_OFFSET_BITS
#define _FILE_OFFSET_BITS 64
#endif

#include "movie/file_device.h"

#include <cstdio>

#ifdef _WIN32
#include <share.h>
#else
#include <sys/stat.h>
#endif

namespace vantrel {
namespace {

#ifdef _WIN32
// _fsopen with _SH_DENYNO leaves the file open to other programs for reading
// and writing; 64-bit seeks reach past 2 GiB.
std::FILE* openShared(const std::string& path, const char* mode) {
  return _fsopen(path.c_str(), mode, _SH_DENYNO);
}
int seekTo(std::FILE* file, std::uint64_t offset, int origin) {
  return _fseeki64(file, static_cast<long long>(offset), origin);
}
long long tellOf(std::FILE* file) { return _ftelli64(file); }
bool isRegularFile(std::FILE*) { return true; }  // _fsopen refuses folders
#else
std::FILE* openShared(const std::string& path, const char* mode) {
  return std::fopen(path.c_str(), mode);
}
int seekTo(std::FILE* file, std::uint64_t offset, int origin) {
  return fseeko(file, static_cast<off_t>(offset), origin);
}
long long tellOf(std::FILE* file) { return static_cast<long long>(ftello(file)); }
// A folder or a device opens for reading here; neither is a movie.
bool isRegularFile(std::FILE* file) {
  struct stat info;
  return fstat(fileno(file), &info) == 0 && S_ISREG(info.st_mode);
}
#endif

class StdioDevice final : public FileDevice {
 public:
  StdioDevice(std::FILE* file, std::uint64_t size) : file_(file), size_(size) {}
  ~StdioDevice() override {
    if (file_ != nullptr) std::fclose(file_);
  }

  std::uint64_t size() const override { return size_; }

  std::size_t readAt(std::uint64_t offset, unsigned char* out, std::size_t n) override {
    if (seekTo(file_, offset, SEEK_SET) != 0) return 0;
    return std::fread(out, 1, n, file_);
  }

  bool writeAt(std::uint64_t offset, const unsigned char* data, std::size_t n) override {
    if (seekTo(file_, offset, SEEK_SET) != 0) return false;
    return std::fwrite(data, 1, n, file_) == n;
  }

  bool close() override {
    const bool saved = std::fclose(file_) == 0;
    file_ = nullptr;
    return saved;
  }

 private:
  std::FILE* file_;
  std::uint64_t size_;
};

}  // namespace

std::unique_ptr<FileDevice> openFileDevice(const std::string& path, OpenMode mode) {
  std::FILE* file = openShared(path, mode == OpenMode::ReadWrite ? "r+b" : "rb");
  if (file == nullptr) return nullptr;
  // MovieStream does its own buffering; stdio's would only copy twice.
  std::setvbuf(file, nullptr, _IONBF, 0);
  long long size = -1;
  if (isRegularFile(file) && seekTo(file, 0, SEEK_END) == 0) size = tellOf(file);
  if (size < 0) {
    std::fclose(file);
    return nullptr;
  }
  return std::make_unique<StdioDevice>(file, static_cast<std::uint64_t>(size));
}

}  // namespace vantrel
