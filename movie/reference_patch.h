#ifndef VANTREL_MOVIE_REFERENCE_PATCH_H_
#define VANTREL_MOVIE_REFERENCE_PATCH_H_

#include <cstdint>

#include "movie/patch_context.h"

namespace vantrel {

// ReferenceBlock: 16 bytes naming a piece of content. The value word is what
// a fix rewrites; the four bytes after it are never looked at or written.
struct ReferenceBlock {
  static constexpr std::uint64_t kValueAt = 0;
  static constexpr std::uint64_t kTagAt = 8;
  static constexpr std::uint64_t kNumberAt = 12;
  static constexpr std::uint64_t kSize = 16;
};

// The patch step for the reference at absolute offset `referenceOffset`:
// when the first rule for its tag and number has the value it holds as its
// old value, the new value is written over it and counted. A reference that
// cannot be read whole is left alone.
void patchReference(PatchContext& context, std::uint64_t referenceOffset);

// The chunks that hold one reference at a fixed place in their data:
// 'ACTR' at data + 28, 'TDT ' at data + 8.
inline constexpr std::uint32_t kActrReferenceAt = 28;
inline constexpr std::uint32_t kTdtReferenceAt = 8;
void patchSingleReferenceChunk(PatchContext& context, std::uint32_t dataOffset,
                               std::uint32_t referenceOffset);

}  // namespace vantrel

#endif  // VANTREL_MOVIE_REFERENCE_PATCH_H_
