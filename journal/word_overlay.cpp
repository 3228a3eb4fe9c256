#include "journal/word_overlay.h"

#include <algorithm>
#include <cstring>

namespace vantrel {
namespace {

// Words kept lately are searched one by one, until this many are merged.
constexpr std::size_t kRecentWords = 256;

}  // namespace

void WordOverlay::keep(std::uint64_t offset, const unsigned char* word) {
  Word kept{offset, ++writes_, {}};
  std::memcpy(kept.bytes, word, sizeof kept.bytes);
  recent_.push_back(kept);
  if (recent_.size() >= kRecentWords) merge();
}

void WordOverlay::keepWrite(FileDevice& under, std::uint64_t offset, const unsigned char* data,
                            std::size_t n) {
  for (std::size_t done = 0; done < n; done += 4) {
    unsigned char word[4];
    if (n - done < 4) {
      // The bytes after a short tail, as the reader sees them now.
      const std::size_t got = under.readAt(offset + done, word, sizeof word);
      std::fill(word + got, word + sizeof word, 0);
      lay(offset + done, word, got);
    }
    std::memcpy(word, data + done, std::min<std::size_t>(4, n - done));
    keep(offset + done, word);
  }
}

void WordOverlay::merge() {
  const auto byPlace = [](const Word& a, const Word& b) {
    return a.offset != b.offset ? a.offset < b.offset : a.order < b.order;
  };
  std::sort(recent_.begin(), recent_.end(), byPlace);
  const std::size_t before = sorted_.size();
  sorted_.insert(sorted_.end(), recent_.begin(), recent_.end());
  std::inplace_merge(sorted_.begin(), sorted_.begin() + static_cast<std::ptrdiff_t>(before),
                     sorted_.end(), byPlace);
  recent_.clear();
}

void WordOverlay::clear() {
  sorted_.clear();
  recent_.clear();
  writes_ = 0;
}

void WordOverlay::layWord(const Word& word, std::uint64_t offset, unsigned char* out,
                          std::size_t n) {
  for (std::uint64_t i = 0; i < 4; ++i) {
    const std::uint64_t at = word.offset + i;
    if (at >= offset && at < offset + n) out[at - offset] = word.bytes[i];
  }
}

void WordOverlay::lay(std::uint64_t offset, unsigned char* out, std::size_t n) {
  const std::uint64_t from = offset < 3 ? 0 : offset - 3;
  auto it = std::lower_bound(sorted_.begin(), sorted_.end(), from,
                             [](const Word& word, std::uint64_t at) { return word.offset < at; });
  // Words that overlap one another go down in the order they were written;
  // the rest in any order.
  overlapping_.clear();
  for (const Word* last = nullptr; it != sorted_.end() && it->offset < offset + n; ++it) {
    if (last != nullptr && it->offset < last->offset + 4) {
      if (overlapping_.empty() || overlapping_.back() != last) overlapping_.push_back(last);
      overlapping_.push_back(&*it);
    } else {
      layWord(*it, offset, out, n);
    }
    last = &*it;
  }
  std::sort(overlapping_.begin(), overlapping_.end(),
            [](const Word* a, const Word* b) { return a->order < b->order; });
  for (const Word* word : overlapping_) layWord(*word, offset, out, n);
  for (const Word& word : recent_) {
    if (word.offset < offset + n && word.offset + 4 > offset) layWord(word, offset, out, n);
  }
}

}  // namespace vantrel
