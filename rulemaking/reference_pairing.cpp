#include "rulemaking/reference_pairing.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include "movie/movie_walk.h"
#include "rulemaking/borrowed_device.h"
#include "rulemaking/byte_comparison.h"

namespace vantrel {
namespace {

// A single-reference chunk holds no element; its place sorts after any
// element's, which is as good as before, since a chunk is one or the other.
constexpr std::uint32_t kNoElement = 0xFFFFFFFFu;

// Partners: the same tag and number, and the same value word. The place
// alone is not enough: a byte that the walk reads to find the reference
// may differ, so that the damaged copy's walk reads it elsewhere.
bool partners(const HeldReference& good, const ReadReference& bad) {
  return std::equal(good.tag, good.tag + 4, bad.tag) && good.number == bad.number &&
         good.valueOffset == bad.valueOffset;
}

class GoodCollector final : public ProgressSink {
 public:
  explicit GoodCollector(std::vector<HeldReference>& held) : held_(held) {}
  void begin(std::uint32_t) override {}
  void step() override {}
  void referenceRead(const ReadReference& reference) override {
    HeldReference kept{};
    kept.place = placeOf(reference.chunk, reference.element);
    kept.valueOffset = reference.valueOffset;
    std::copy_n(reference.tag, 4, kept.tag);
    kept.number = reference.number;
    kept.value = reference.value;
    kept.paired = false;
    held_.push_back(kept);
  }

 private:
  std::vector<HeldReference>& held_;
};

// Both walks meet places in rising order, so one pass over the held
// references pairs them.
class BadMatcher final : public ProgressSink {
 public:
  BadMatcher(std::vector<HeldReference>& good, PairingListener& listener)
      : good_(good), listener_(listener) {}
  void begin(std::uint32_t) override {}
  void step() override {}
  void referenceRead(const ReadReference& bad) override {
    const ReferencePlace place = placeOf(bad.chunk, bad.element);
    while (next_ < good_.size() && good_[next_].place < place) listener_.goodOnly(good_[next_++]);
    if (next_ < good_.size() && good_[next_].place == place) {
      HeldReference& good = good_[next_++];
      if (partners(good, bad)) {
        good.paired = true;
        listener_.paired(good, bad);
        return;
      }
      listener_.goodOnly(good);
    }
    badOnly_.push_back(bad.valueOffset);
    listener_.badOnly(bad);
  }
  void finish() {
    while (next_ < good_.size()) listener_.goodOnly(good_[next_++]);
  }
  // The value offsets of the damaged copy's references told as badOnly().
  std::vector<std::uint64_t>& badOnlyOffsets() { return badOnly_; }

 private:
  std::vector<HeldReference>& good_;
  PairingListener& listener_;
  std::size_t next_ = 0;
  std::vector<std::uint64_t> badOnly_;
};

// The bytes that may differ between the copies: the value word of each
// paired reference, and the whole block of each reference without a
// partner (already told). Both lists sorted by offset, and asked about in
// rising order, so that each is passed over once.
class MayDiffer {
 public:
  MayDiffer(const std::vector<HeldReference>& good, const std::vector<std::uint64_t>& badOnly)
      : good_(good), badOnly_(badOnly), nextGood_(good.begin()), nextBad_(badOnly.begin()) {}

  bool covers(std::uint64_t offset) {
    // A range that ends before `offset` holds no later offset either.
    while (nextGood_ != good_.end() && nextGood_->valueOffset + kReferenceSize <= offset) {
      ++nextGood_;
    }
    while (nextBad_ != badOnly_.end() && *nextBad_ + kReferenceSize <= offset) ++nextBad_;
    for (auto held = nextGood_; held != good_.end() && held->valueOffset <= offset; ++held) {
      const std::uint64_t length = held->paired ? kValueSize : kReferenceSize;
      if (offset < held->valueOffset + length) return true;
    }
    return nextBad_ != badOnly_.end() && *nextBad_ <= offset;
  }

 private:
  static constexpr std::uint64_t kValueSize = 4;
  static constexpr std::uint64_t kReferenceSize = 16;
  const std::vector<HeldReference>& good_;
  const std::vector<std::uint64_t>& badOnly_;
  std::vector<HeldReference>::const_iterator nextGood_;
  std::vector<std::uint64_t>::const_iterator nextBad_;
};

WalkOptions readingOnly() {
  WalkOptions options;
  options.dryRun = true;
  options.reportReferences = true;
  return options;
}

}  // namespace

ReferencePlace placeOf(std::uint32_t chunk, std::optional<std::uint32_t> element) {
  return std::uint64_t{chunk} << 32 | element.value_or(kNoElement);
}

std::uint32_t chunkOf(ReferencePlace place) { return static_cast<std::uint32_t>(place >> 32); }

std::optional<std::uint32_t> elementOf(ReferencePlace place) {
  const auto element = static_cast<std::uint32_t>(place);
  if (element == kNoElement) return std::nullopt;
  return element;
}

PairWalks pairReferences(FileDevice& good, FileDevice& bad, PairingListener& listener) {
  const FixTable noRules;
  PairWalks walks;
  std::vector<HeldReference> held;
  GoodCollector collector(held);
  MovieStream goodFile(std::make_unique<BorrowedDevice>(good));
  walks.good = walkMovie(goodFile, noRules, collector, readingOnly());
  if (walks.good.result != WalkResult::Done) return walks;

  BadMatcher matcher(held, listener);
  MovieStream badFile(std::make_unique<BorrowedDevice>(bad));
  walks.bad = walkMovie(badFile, noRules, matcher, readingOnly());
  if (walks.bad->result != WalkResult::Done) return walks;
  matcher.finish();

  std::sort(held.begin(), held.end(), [](const HeldReference& a, const HeldReference& b) {
    return a.valueOffset < b.valueOffset;
  });
  std::vector<std::uint64_t>& badOnly = matcher.badOnlyOffsets();
  std::sort(badOnly.begin(), badOnly.end());
  MayDiffer mayDiffer(held, badOnly);
  const auto difference = firstByteDifference(
      good, bad, [&mayDiffer](std::uint64_t at) { return mayDiffer.covers(at); });
  if (difference) {
    listener.bytesDiffer(*difference);
  }
  return walks;
}

}  // namespace vantrel
