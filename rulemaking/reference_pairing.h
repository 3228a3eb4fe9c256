#ifndef VANTREL_RULEMAKING_REFERENCE_PAIRING_H_
#define VANTREL_RULEMAKING_REFERENCE_PAIRING_H_

#include <cstdint>
#include <optional>

#include "movie/file_device.h"
#include "movie/movie_stream.h"
#include "movie/progress_sink.h"
#include "movie/walk_result.h"
#include "rulemaking/byte_comparison.h"

namespace vantrel {

// Where a reference lies in a movie's structure: its chunk's place in the
// index and, in a group chunk, its element's place. Places compare in the
// order the walk meets them, and no two references share one.
using ReferencePlace = std::uint64_t;

ReferencePlace placeOf(std::uint32_t chunk, std::optional<std::uint32_t> element);
std::uint32_t chunkOf(ReferencePlace place);
std::optional<std::uint32_t> elementOf(ReferencePlace place);

// A reference of the good copy, held while the damaged copy is walked.
struct HeldReference {
  ReferencePlace place;
  std::uint64_t valueOffset;  // in the good copy
  char tag[4];
  std::uint32_t number;
  std::uint32_t value;
  bool paired;  // a reference of the damaged copy was found its partner
};

// What pairing two walks finds, in the damaged copy's walk order.
class PairingListener {
 public:
  virtual ~PairingListener() = default;
  // The same place holds, at the same offset in both copies, a reference of
  // the same tag and number.
  virtual void paired(const HeldReference& good, const ReadReference& bad) = 0;
  // A reference with no such partner: at its place the other copy holds none,
  // one of another tag or number, or one at another offset (as when a byte
  // that the walk reads to find it differs).
  virtual void goodOnly(const HeldReference& good) = 0;
  virtual void badOnly(const ReadReference& bad) = 0;
  // Told last, when both walks are Done and the copies differ anywhere but
  // in the value words of paired references (the blocks of the references
  // told above aside): no rule can change such bytes.
  virtual void bytesDiffer(const ByteDifference& difference) = 0;
};

// How the two walks ended. The damaged copy is not walked when the good
// one could not be read (`bad` is then empty).
struct PairWalks {
  WalkOutcome good;
  std::optional<WalkOutcome> bad;
};

// Walks `good` and then `bad` read-only, each once, as --references walks
// them with no rules, and tells `listener` how their references pair up.
// Only the good copy's references are held meanwhile. References of the
// good copy that the damaged one lacks are told once its walk is Done; then
// the two files are compared byte for byte. The devices stay open: closing
// them is the caller's.
PairWalks pairReferences(FileDevice& good, FileDevice& bad, PairingListener& listener);

}  // namespace vantrel

#endif  // VANTREL_RULEMAKING_REFERENCE_PAIRING_H_
