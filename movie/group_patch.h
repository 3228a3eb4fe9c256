#ifndef VANTREL_MOVIE_GROUP_PATCH_H_
#define VANTREL_MOVIE_GROUP_PATCH_H_

#include <cstdint>
#include <optional>

#include "movie/container_layout.h"
#include "movie/patch_context.h"

namespace vantrel {

// Where an element's kind word lies, from the element's start: 'GGAE' keeps
// it first, 'GGFR' and 'GGST' after a leading word.
inline constexpr std::uint32_t kGgaeKindAt = 0;
inline constexpr std::uint32_t kGgfrKindAt = 4;

// Offset from the element's start of the reference that an element of
// `kind` holds in a chunk tagged `chunkTag`; empty for a kind that holds
// none. 'GGAE': kind 2 at 32, kind 6 at 48. 'GGFR' and 'GGST': kind 1 at 28,
// kind 4 at 8.
std::optional<std::uint32_t> groupReferenceOffset(ChunkTag chunkTag, std::uint32_t kind);

// Patches the references in the elements of the group chunk whose data (a
// Group) starts at `dataOffset`. An element that cannot be read is skipped;
// a location table the file cannot hold skips the whole chunk. Its elements
// count against the walk's budget of visits: a chunk that takes the walk past
// it is not visited, and sets context.overBudget.
void patchGroupChunk(PatchContext& context, std::uint32_t dataOffset, std::uint32_t kindPosition,
                     ChunkTag chunkTag);

}  // namespace vantrel

#endif  // VANTREL_MOVIE_GROUP_PATCH_H_
