#include "movie/visit_budget.h"

#include "movie/container_layout.h"
#include "movie/group_reader.h"
#include "movie/le_word.h"

namespace vantrel {
namespace {

bool isGroupChunk(ChunkTag tag) { return tag == kTagGgae || tag == kTagGgfr || tag == kTagGgst; }

// The elements the walk will visit in the chunk whose record lies at
// `recordPosition`: none unless it is a group chunk whose table it reads.
std::uint32_t elementsToVisit(MovieStream& file, std::uint64_t recordPosition) {
  unsigned char record[ChunkRecord::kSize];
  if (!file.seek(recordPosition) || !file.readBytes(record, sizeof record)) return 0;
  if (!isGroupChunk(readLe32(record))) return 0;
  const std::uint32_t dataOffset = readLe32(record + 8);
  Group group;
  if (!readGroupCount(file, dataOffset, group) || group.count == 0 ||
      !readGroupDataSize(file, dataOffset, group) || !locationTableFits(file, dataOffset, group)) {
    return 0;
  }
  return group.count;
}

}  // namespace

std::uint64_t plannedElementVisits(MovieStream& file, std::uint32_t indexOffset,
                                   const std::vector<std::uint32_t>& chunkOffsets,
                                   std::uint64_t budget) {
  std::uint64_t visits = 0;
  for (const std::uint32_t chunkOffset : chunkOffsets) {
    visits += elementsToVisit(file, elementPosition(indexOffset, chunkOffset));
    if (visits > budget) break;
  }
  return visits;
}

}  // namespace vantrel
