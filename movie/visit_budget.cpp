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
  // The count and the data size, in one small read: group chunks lie all
  // over the file, and a window for each would read the whole file twice.
  const std::uint32_t dataOffset = readLe32(record + 8);
  // Where the data size cannot be read either, the walk reads no element.
  unsigned char header[8];
  if (!file.peekBytes(std::uint64_t{dataOffset} + Group::kCountAt, header, sizeof header)) return 0;
  Group group;
  group.count = readLe32(header);
  group.dataSize = readLe32(header + 4);
  return locationTableFits(file, dataOffset, group) ? group.count : 0;
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
