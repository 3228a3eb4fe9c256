#include "movie/group_reader.h"

#include <new>
#include <stdexcept>

#include "movie/le_word.h"

namespace vantrel {

bool readGroupCount(MovieStream& file, std::uint64_t groupStart, Group& group) {
  return file.seek(groupStart + Group::kCountAt) && file.readWord(group.count);
}

bool readGroupDataSize(MovieStream& file, std::uint64_t groupStart, Group& group) {
  return file.seek(groupStart + Group::kDataSizeAt) && file.readWord(group.dataSize);
}

bool locationTableFits(const MovieStream& file, std::uint64_t groupStart, const Group& group) {
  const std::uint64_t tableStart = groupStart + Group::kHeaderSize + group.dataSize;
  return tableStart <= file.size() &&
         group.count <= (file.size() - tableStart) / Group::kLocationEntrySize;
}

bool readElementOffsets(MovieStream& file, std::uint64_t groupStart, const Group& group,
                        std::vector<std::uint32_t>& offsets) {
  offsets.clear();
  if (group.count == 0) return true;  // no table to read, wherever it would lie
  if (!locationTableFits(file, groupStart, group)) return false;
  const std::uint64_t tableStart = groupStart + Group::kHeaderSize + group.dataSize;
  try {
    offsets.resize(group.count);
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const std::length_error&) {
    return false;
  }
  if (!file.seek(tableStart)) return false;
  for (std::uint32_t& offset : offsets) {
    unsigned char entry[Group::kLocationEntrySize];  // the offset, and a word not used
    if (!file.readBytes(entry, sizeof entry)) {
      offsets.clear();
      return false;
    }
    offset = readLe32(entry);
  }
  return true;
}

}  // namespace vantrel
