#ifndef VANTREL_TESTS_SUPPORT_FAULTY_DEVICE_H_
#define VANTREL_TESTS_SUPPORT_FAULTY_DEVICE_H_

#include <algorithm>
#include <cstdint>
#include <stdexcept>

#include "movie/file_device.h"
#include "tests/support/movie_builder.h"

namespace vantrel::moviekit {

// What goes wrong, once, at the device's k-th call of that kind.
enum class Fault {
  ReadFails,       // nothing arrives
  ReadComesShort,  // the first half arrives
  WriteFails,      // nothing is taken
  WriteTorn,       // the first half is taken, then the write reports failure
  SyncFails,       // the writes were taken, but cannot be put on stable storage
  CloseFails,      // everything was written, but close reports a failure
};

inline const char* faultName(Fault fault) {
  switch (fault) {
    case Fault::ReadFails:
      return "read fails";
    case Fault::ReadComesShort:
      return "read comes short";
    case Fault::WriteFails:
      return "write fails";
    case Fault::WriteTorn:
      return "write torn";
    case Fault::SyncFails:
      return "sync fails";
    case Fault::CloseFails:
      return "close fails";
  }
  return "?";
}

// Thrown when a walk makes far more device calls than any walk of the test
// movie needs: it would not have ended.
struct DeviceCallsRanAway : std::runtime_error {
  DeviceCallsRanAway() : std::runtime_error("the walk kept calling the device") {}
};

// What happened at the device; it outlives the device, which the stream
// drops when it closes.
struct FaultLog {
  int reads = 0;
  int writes = 0;
  int syncs = 0;
  int closes = 0;
  bool injected = false;  // the fault came
  int writesPastEnd = 0;  // writes that would have changed the file's size
  bool ranAway = false;
};

// A movie in a byte vector whose k-th read, write, sync or close fails. Where a
// read fails or comes short, the bytes it did not deliver are filled from
// `poison`, a look-alike of the movie: a stream that used them as if they
// had been read would be led to write where the real movie says not to.
class FaultyDevice : public FileDevice {
 public:
  static constexpr int kCallBudget = 100000;

  FaultyDevice(Bytes& bytes, const Bytes& poison, Fault fault, int failingCall, FaultLog& log)
      : bytes_(bytes), poison_(poison), fault_(fault), failingCall_(failingCall), log_(log) {}

  std::uint64_t size() const override { return bytes_.size(); }

  std::size_t readAt(std::uint64_t offset, unsigned char* out, std::size_t n) override {
    if (!spend()) return 0;
    ++log_.reads;
    const std::size_t available =
        offset >= bytes_.size()
            ? 0
            : static_cast<std::size_t>(std::min<std::uint64_t>(n, bytes_.size() - offset));
    std::size_t delivered = available;
    if (log_.reads == failingCall_ &&
        (fault_ == Fault::ReadFails || fault_ == Fault::ReadComesShort)) {
      log_.injected = true;
      delivered = fault_ == Fault::ReadFails ? 0 : available / 2;
    }
    std::copy_n(bytes_.begin() +
                    static_cast<std::ptrdiff_t>(std::min<std::uint64_t>(offset, bytes_.size())),
                delivered, out);
    for (std::size_t i = delivered; i < available; ++i) out[i] = poison_[offset + i];
    return delivered;
  }

  bool writeAt(std::uint64_t offset, const unsigned char* data, std::size_t n) override {
    if (!spend()) return false;
    ++log_.writes;
    if (offset > bytes_.size() || n > bytes_.size() - offset) {
      ++log_.writesPastEnd;
      return false;
    }
    std::size_t taken = n;
    if (log_.writes == failingCall_ &&
        (fault_ == Fault::WriteFails || fault_ == Fault::WriteTorn)) {
      log_.injected = true;
      taken = fault_ == Fault::WriteFails ? 0 : n / 2;
    }
    std::copy_n(data, taken, bytes_.begin() + static_cast<std::ptrdiff_t>(offset));
    return taken == n;
  }

  bool sync() override {
    if (!spend()) return false;
    ++log_.syncs;
    if (log_.syncs == failingCall_ && fault_ == Fault::SyncFails) {
      log_.injected = true;
      return false;
    }
    return true;
  }

  bool close() override {
    if (!spend()) return false;
    ++log_.closes;
    if (log_.closes == failingCall_ && fault_ == Fault::CloseFails) {
      log_.injected = true;
      return false;
    }
    return true;
  }

 private:
  // Throws once when the budget is spent; later calls, as the stream is
  // torn down, fail without doing anything.
  bool spend() {
    if (log_.ranAway) return false;
    if (log_.reads + log_.writes + log_.syncs + log_.closes < kCallBudget) return true;
    log_.ranAway = true;
    throw DeviceCallsRanAway();
  }

  Bytes& bytes_;
  const Bytes& poison_;
  Fault fault_;
  int failingCall_;
  FaultLog& log_;
};

}  // namespace vantrel::moviekit

#endif  // VANTREL_TESTS_SUPPORT_FAULTY_DEVICE_H_
