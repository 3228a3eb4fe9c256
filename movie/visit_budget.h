#ifndef VANTREL_MOVIE_VISIT_BUDGET_H_
#define VANTREL_MOVIE_VISIT_BUDGET_H_

#include <cstdint>
#include <vector>

#include "movie/movie_stream.h"

namespace vantrel {

// The most element visits the walk makes in the group chunks of a movie of
// `fileSize` bytes: half its size.
//
// Each element the walk visits is named by a location entry, eight bytes
// that must lie in the file (a table that does not fit is not read), so a
// movie whose elements are each visited once needs at most fileSize / 8
// visits: the budget leaves four times that. Only an index that points many
// times at the same groups, or at groups whose tables overlap, needs more,
// and its visits can grow with the square of the size; held to the budget,
// the walk's time grows with the size alone.
inline std::uint64_t elementVisitBudget(std::uint64_t fileSize) { return fileSize / 2; }

// The number of elements the walk will visit in the group chunks that the
// index (the Group at `indexOffset`, whose elements lie at `chunkOffsets`)
// points at, from the same words the walk reads: a group whose count is 0,
// whose header cannot be read or whose location table runs past the end of
// the file is visited for none. Counting stops once the sum exceeds
// `budget`; the answer is then some sum above it.
std::uint64_t plannedElementVisits(MovieStream& file, std::uint32_t indexOffset,
                                   const std::vector<std::uint32_t>& chunkOffsets,
                                   std::uint64_t budget);

}  // namespace vantrel

#endif  // VANTREL_MOVIE_VISIT_BUDGET_H_
