#ifndef VANTREL_RULEMAKING_BORROWED_DEVICE_H_
#define VANTREL_RULEMAKING_BORROWED_DEVICE_H_

#include "movie/file_device.h"

namespace vantrel {

// A device that a walk's stream may close while its owner keeps it open,
// to compare it afterwards. Writes go through to it; close() leaves it open.
class BorrowedDevice final : public FileDevice {
 public:
  explicit BorrowedDevice(FileDevice& device) : device_(device) {}
  std::uint64_t size() const override { return device_.size(); }
  std::size_t readAt(std::uint64_t offset, unsigned char* out, std::size_t n) override {
    return device_.readAt(offset, out, n);
  }
  bool writeAt(std::uint64_t offset, const unsigned char* data, std::size_t n) override {
    return device_.writeAt(offset, data, n);
  }
  bool sync() override { return device_.sync(); }
  bool close() override { return true; }

 private:
  FileDevice& device_;
};

}  // namespace vantrel

#endif  // VANTREL_RULEMAKING_BORROWED_DEVICE_H_
