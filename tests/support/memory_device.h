#ifndef VANTREL_TESTS_SUPPORT_MEMORY_DEVICE_H_
#define VANTREL_TESTS_SUPPORT_MEMORY_DEVICE_H_

#include <algorithm>
#include <memory>

#include "movie/file_device.h"
#include "movie/movie_stream.h"
#include "tests/support/movie_builder.h"

namespace vantrel::moviekit {

// Calls a device received; it outlives the device, which the stream drops
// when it closes.
struct DeviceLog {
  int reads = 0;
  int writes = 0;
  int syncs = 0;
};

// A movie file held in a byte vector that the test owns and inspects.
class MemoryDevice : public FileDevice {
 public:
  explicit MemoryDevice(Bytes& bytes, bool writable = true, DeviceLog* log = nullptr)
      : bytes_(bytes), writable_(writable), log_(log ? log : &ownLog_) {}

  std::uint64_t size() const override { return bytes_.size(); }

  std::size_t readAt(std::uint64_t offset, unsigned char* out, std::size_t n) override {
    ++log_->reads;
    if (offset >= bytes_.size()) return 0;
    const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(n, bytes_.size() - offset));
    std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(offset), count, out);
    return count;
  }

  bool writeAt(std::uint64_t offset, const unsigned char* data, std::size_t n) override {
    ++log_->writes;
    if (!writable_ || offset > bytes_.size() || n > bytes_.size() - offset) return false;
    std::copy_n(data, n, bytes_.begin() + static_cast<std::ptrdiff_t>(offset));
    return true;
  }

  bool sync() override {
    ++log_->syncs;
    return true;
  }

  bool close() override { return true; }

 private:
  Bytes& bytes_;
  bool writable_;
  DeviceLog ownLog_;
  DeviceLog* log_;
};

inline std::unique_ptr<MovieStream> memoryStream(Bytes& bytes, bool writable = true) {
  return std::make_unique<MovieStream>(std::make_unique<MemoryDevice>(bytes, writable));
}

}  // namespace vantrel::moviekit

#endif  // VANTREL_TESTS_SUPPORT_MEMORY_DEVICE_H_
