#include "rulemaking/repair_check.h"

#include <algorithm>
#include <array>
#include <map>
#include <memory>

#include "movie/movie_stream.h"
#include "movie/movie_walk.h"
#include "rulemaking/borrowed_device.h"

namespace vantrel {
namespace {

constexpr std::size_t kWordSize = 4;

// A file read from `base`, with the words written to it held in memory on
// top. Words written where others overlap them bring those up to date, so
// that whichever is applied last, each byte reads as last written.
class WritesInMemory final : public FileDevice {
 public:
  explicit WritesInMemory(FileDevice& base) : base_(base) {}

  std::uint64_t size() const override { return base_.size(); }

  std::size_t readAt(std::uint64_t offset, unsigned char* out, std::size_t n) override {
    const std::size_t got = base_.readAt(offset, out, n);
    for (auto word = firstOverlapping(offset); word != written_.end() && word->first < offset + got;
         ++word) {
      for (std::size_t i = 0; i < kWordSize; ++i) {
        const std::uint64_t at = word->first + i;
        if (at >= offset && at < offset + got) out[at - offset] = word->second[i];
      }
    }
    return got;
  }

  // The walk writes only value words.
  bool writeAt(std::uint64_t offset, const unsigned char* data, std::size_t n) override {
    if (n != kWordSize || offset > size() || n > size() - offset) return false;
    for (auto word = firstOverlapping(offset); word != written_.end() && word->first < offset + n;
         ++word) {
      for (std::size_t i = 0; i < kWordSize; ++i) {
        const std::uint64_t at = word->first + i;
        if (at >= offset && at < offset + n) word->second[i] = data[at - offset];
      }
    }
    // The walk writes in rising order mostly: then the hint makes it cheap.
    auto word = written_.emplace_hint(written_.end(), offset, Words::mapped_type{});
    std::copy_n(data, kWordSize, word->second.begin());
    return true;
  }

  bool sync() override { return true; }
  bool close() override { return true; }

 private:
  using Words = std::map<std::uint64_t, std::array<unsigned char, kWordSize>>;

  Words::iterator firstOverlapping(std::uint64_t offset) {
    return written_.lower_bound(offset >= kWordSize - 1 ? offset - (kWordSize - 1) : 0);
  }

  FileDevice& base_;
  Words written_;
};

class NoProgress final : public ProgressSink {
 public:
  void begin(std::uint32_t) override {}
  void step() override {}
};

}  // namespace

std::optional<ByteDifference> differenceAfterRepair(FileDevice& good, FileDevice& damaged,
                                                    const FixTable& rules) {
  WritesInMemory repaired(damaged);
  MovieStream file(std::make_unique<BorrowedDevice>(repaired));
  NoProgress progress;
  const WalkOutcome outcome = walkMovie(file, rules, progress);
  std::optional<ByteDifference> difference;
  if (outcome.result != WalkResult::Done) {
    difference = ByteDifference{};
    difference->goodSize = good.size();
    difference->badSize = damaged.size();
  } else {
    difference = firstByteDifference(good, repaired, [](std::uint64_t) { return false; });
  }
  if (difference) difference->afterRules = true;
  return difference;
}

}  // namespace vantrel
