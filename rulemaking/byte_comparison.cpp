#include "rulemaking/byte_comparison.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace vantrel {
namespace {

// Whether all `n` bytes at `offset` arrived.
bool readWhole(FileDevice& device, std::uint64_t offset, unsigned char* out, std::size_t n) {
  std::size_t got = 0;
  while (got < n) {
    const std::size_t more = device.readAt(offset + got, out + got, n - got);
    if (more == 0) return false;
    got += more;
  }
  return true;
}

// The first place from `from` on where `a` and `b` differ, or `n`. Eight
// bytes at a time: in a dense movie every block holds differences.
std::size_t nextDifference(const unsigned char* a, const unsigned char* b, std::size_t from,
                           std::size_t n) {
  std::size_t i = from;
  for (; i + 8 <= n; i += 8) {
    std::uint64_t x, y;
    std::memcpy(&x, a + i, 8);
    std::memcpy(&y, b + i, 8);
    if (x != y) break;
  }
  while (i < n && a[i] == b[i]) ++i;
  return i;
}

}  // namespace

std::optional<ByteDifference> firstByteDifference(
    FileDevice& good, FileDevice& bad, const std::function<bool(std::uint64_t)>& mayDiffer) {
  constexpr std::size_t kBlock = std::size_t{1} << 16;
  ByteDifference difference;
  difference.goodSize = good.size();
  difference.badSize = bad.size();
  const std::uint64_t common = std::min(good.size(), bad.size());
  std::vector<unsigned char> goodBytes(kBlock), badBytes(kBlock);
  for (std::uint64_t at = 0; at < common; at += kBlock) {
    const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(kBlock, common - at));
    if (!readWhole(good, at, goodBytes.data(), n) || !readWhole(bad, at, badBytes.data(), n)) {
      difference.offset = at;
      difference.unreadable = true;
      return difference;
    }
    if (std::equal(goodBytes.begin(), goodBytes.begin() + static_cast<std::ptrdiff_t>(n),
                   badBytes.begin())) {
      continue;
    }
    for (std::size_t i = nextDifference(goodBytes.data(), badBytes.data(), 0, n); i < n;
         i = nextDifference(goodBytes.data(), badBytes.data(), i + 1, n)) {
      if (!mayDiffer(at + i)) {
        difference.offset = at + i;
        return difference;
      }
    }
  }
  if (good.size() == bad.size()) return std::nullopt;
  difference.offset = common;
  return difference;
}

}  // namespace vantrel
