#include "journal/word_overlay.h"

#include <algorithm>
#include <cstring>

namespace vantrel {

void WordOverlay::keep(std::uint64_t offset, const unsigned char* data, std::size_t n) {
  Kept& kept = words_[offset];
  kept.length = std::min(n, sizeof kept.bytes);
  std::memcpy(kept.bytes, data, kept.length);
  kept.order = ++writes_;
}

void WordOverlay::lay(std::uint64_t offset, unsigned char* out, std::size_t n) {
  const std::uint64_t from = offset < 3 ? 0 : offset - 3;
  touching_.clear();
  bool overlapping = false;
  for (auto it = words_.lower_bound(from); it != words_.end() && it->first < offset + n; ++it) {
    if (!touching_.empty() && it->first < touching_.back()->first + 4) overlapping = true;
    touching_.push_back(&*it);
  }
  if (overlapping) {
    std::sort(touching_.begin(), touching_.end(),
              [](const Entry* a, const Entry* b) { return a->second.order < b->second.order; });
  }
  for (const Entry* word : touching_) {
    for (std::size_t i = 0; i < word->second.length; ++i) {
      const std::uint64_t at = word->first + i;
      if (at >= offset && at < offset + n) out[at - offset] = word->second.bytes[i];
    }
  }
}

}  // namespace vantrel
