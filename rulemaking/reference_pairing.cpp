#include "rulemaking/reference_pairing.h"

#include <algorithm>
#include <vector>

#include "movie/movie_walk.h"

namespace vantrel {
namespace {

// A single-reference chunk holds no element; its place sorts after any
// element's, which is as good as before, since a chunk is one or the other.
constexpr std::uint32_t kNoElement = 0xFFFFFFFFu;

bool sameName(const HeldReference& good, const ReadReference& bad) {
  return std::equal(good.tag, good.tag + 4, bad.tag) && good.number == bad.number;
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
    held_.push_back(kept);
  }

 private:
  std::vector<HeldReference>& held_;
};

// Both walks meet places in rising order, so one pass over the held
// references pairs them.
class BadMatcher final : public ProgressSink {
 public:
  BadMatcher(const std::vector<HeldReference>& good, PairingListener& listener)
      : good_(good), listener_(listener) {}
  void begin(std::uint32_t) override {}
  void step() override {}
  void referenceRead(const ReadReference& bad) override {
    const ReferencePlace place = placeOf(bad.chunk, bad.element);
    while (next_ < good_.size() && good_[next_].place < place) listener_.goodOnly(good_[next_++]);
    if (next_ < good_.size() && good_[next_].place == place) {
      const HeldReference& good = good_[next_++];
      if (sameName(good, bad)) {
        listener_.paired(good, bad);
        return;
      }
      listener_.goodOnly(good);
    }
    listener_.badOnly(bad);
  }
  void finish() {
    while (next_ < good_.size()) listener_.goodOnly(good_[next_++]);
  }

 private:
  const std::vector<HeldReference>& good_;
  PairingListener& listener_;
  std::size_t next_ = 0;
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

PairWalks pairReferences(MovieStream& good, MovieStream& bad, PairingListener& listener) {
  const FixTable noRules;
  PairWalks walks;
  std::vector<HeldReference> held;
  GoodCollector collector(held);
  walks.good = walkMovie(good, noRules, collector, readingOnly());
  if (walks.good.result != WalkResult::Done) return walks;

  BadMatcher matcher(held, listener);
  walks.bad = walkMovie(bad, noRules, matcher, readingOnly());
  if (walks.bad->result == WalkResult::Done) matcher.finish();
  return walks;
}

}  // namespace vantrel
