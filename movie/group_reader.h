#ifndef VANTREL_MOVIE_GROUP_READER_H_
#define VANTREL_MOVIE_GROUP_READER_H_

#include <cstdint>
#include <vector>

#include "movie/container_layout.h"
#include "movie/movie_stream.h"

namespace vantrel {

// Reads the `count` word of the Group that starts at `groupStart`.
bool readGroupCount(MovieStream& file, std::uint64_t groupStart, Group& group);

// Reads the `dataSize` word of the Group that starts at `groupStart`.
bool readGroupDataSize(MovieStream& file, std::uint64_t groupStart, Group& group);

// Whether the file holds the whole location table of `group`, which starts
// at `groupStart`: only then are its elements read.
bool locationTableFits(const MovieStream& file, std::uint64_t groupStart, const Group& group);

// Reads the first word of every location-table entry of `group`: each
// element's offset from the start of the data area. Fails without
// allocating when the file is too short to hold the whole table, so no count
// read from a damaged file can cost memory it does not back with bytes.
bool readElementOffsets(MovieStream& file, std::uint64_t groupStart, const Group& group,
                        std::vector<std::uint32_t>& offsets);

// Absolute offset of the element that lies `elementOffset` bytes into the
// data area of the Group at `groupStart`.
inline std::uint64_t elementPosition(std::uint64_t groupStart, std::uint32_t elementOffset) {
  return groupStart + Group::kHeaderSize + elementOffset;
}

}  // namespace vantrel

#endif  // VANTREL_MOVIE_GROUP_READER_H_
