#include "movie/visit_budget.h"

#include "movie/container_layout.h"
#include "movie/group_reader.h"
#include "movie/le_word.h"

namespace vantrel {
namespace {

bool isGroupChunk(ChunkTag tag) { return tag == kTagGgae || tag == kTagGgfr || tag == kTagGgst; }

// The group chunk whose header was read last. Nothing is written while the
// visits are counted, so an index that names the same group again and again
// costs one read of it.
struct LastGroup {
  bool known = false;
  std::uint32_t dataOffset = 0;
  std::uint32_t elements = 0;
};

// The elements the walk will visit in the group chunk whose data starts at
// `dataOffset`: its count when its whole location table lies in the file.
std::uint32_t groupElements(MovieStream& file, std::uint32_t dataOffset) {
  // The count and the data size, in one small read: group chunks lie all
  // over the file, and a window for each would read the whole file twice.
  // Where the data size cannot be read either, the walk reads no element.
  unsigned char header[8];
  if (!file.peekBytes(std::uint64_t{dataOffset} + Group::kCountAt, header, sizeof header)) return 0;
  Group group;
  group.count = readLe32(header);
  group.dataSize = readLe32(header + 4);
  return locationTableFits(file, dataOffset, group) ? group.count : 0;
}

// The elements the walk will visit in the chunk whose record lies at
// `recordPosition`: none unless it is a group chunk whose table it reads.
std::uint32_t elementsToVisit(MovieStream& file, std::uint64_t recordPosition, LastGroup& last) {
  unsigned char record[ChunkRecord::kSize];
  if (!file.seek(recordPosition) || !file.readBytes(record, sizeof record)) return 0;
  if (!isGroupChunk(readLe32(record))) return 0;
  const std::uint32_t dataOffset = readLe32(record + 8);
  if (!last.known || last.dataOffset != dataOffset) {
    last = LastGroup{true, dataOffset, groupElements(file, dataOffset)};
  }
  return last.elements;
}

}  // namespace

std::uint64_t plannedElementVisits(MovieStream& file, std::uint32_t indexOffset,
                                   const std::vector<std::uint32_t>& chunkOffsets,
                                   std::uint64_t budget) {
  std::uint64_t visits = 0;
  LastGroup last;
  for (const std::uint32_t chunkOffset : chunkOffsets) {
    visits += elementsToVisit(file, elementPosition(indexOffset, chunkOffset), last);
    if (visits > budget) break;
  }
  return visits;
}

}  // namespace vantrel
