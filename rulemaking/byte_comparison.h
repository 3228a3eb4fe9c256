#ifndef VANTREL_RULEMAKING_BYTE_COMPARISON_H_
#define VANTREL_RULEMAKING_BYTE_COMPARISON_H_

#include <cstdint>
#include <functional>
#include <optional>

#include "movie/file_device.h"

namespace vantrel {

// The first byte at which a good copy and a damaged one differ where they
// may not.
struct ByteDifference {
  std::uint64_t offset = 0;  // in both copies; the shorter one's size when it ends there
  std::uint64_t goodSize = 0;
  std::uint64_t badSize = 0;
  bool unreadable = false;  // the bytes at `offset` could not be read to compare them
  bool afterRules = false;  // the damaged copy as the rules would leave it
};

// Compares the two files byte for byte, from the start; a byte at which
// `mayDiffer` answers true is passed over; it is asked about differing
// bytes only, in rising order. Empty when the files are the same.
std::optional<ByteDifference> firstByteDifference(
    FileDevice& good, FileDevice& bad, const std::function<bool(std::uint64_t)>& mayDiffer);

}  // namespace vantrel

#endif  // VANTREL_RULEMAKING_BYTE_COMPARISON_H_
