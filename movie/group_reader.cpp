#include "movie/group_reader.h"

#include <algorithm>
#include <new>
#include <stdexcept>

#include "movie/le_word.h"

namespace vantrel {
namespace {

constexpr std::size_t kEntriesAtOnce = 128;

}  // namespace

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
    offsets.reserve(group.count);  // filled below, so never zeroed first
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const std::length_error&) {
    return false;
  }
  // Entries in blocks, each read from a window in place (or copied, when
  // it is split between two); an entry is the offset and a word not used.
  unsigned char scratch[kEntriesAtOnce * Group::kLocationEntrySize];
  while (offsets.size() < group.count) {
    const std::size_t entries = std::min<std::size_t>(group.count - offsets.size(), kEntriesAtOnce);
    const std::uint64_t at = tableStart + offsets.size() * Group::kLocationEntrySize;
    const unsigned char* block = file.bytesAt(at, entries * Group::kLocationEntrySize, scratch);
    if (block == nullptr) {
      offsets.clear();
      return false;
    }
    for (std::size_t i = 0; i < entries; ++i) {
      offsets.push_back(readLe32(block + i * Group::kLocationEntrySize));
    }
  }
  return true;
}

}  // namespace vantrel
