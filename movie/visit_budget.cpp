#include "movie/visit_budget.h"

#include <algorithm>
#include <memory>

#include "movie/container_layout.h"
#include "movie/group_reader.h"
#include "movie/le_word.h"

namespace vantrel {
namespace {

bool isGroupChunk(ChunkTag tag) { return tag == kTagGgae || tag == kTagGgfr || tag == kTagGgst; }

// The index records looked at in one go, and so the most group chunks held
// in memory at once: a bound on what counting costs beside the walk's own
// table of chunks, whatever the index holds.
constexpr std::size_t kRecordsAtOnce = std::size_t{1} << 20;

// The most bytes of the file one read of group headers takes in. Group
// chunks lie all over the file, a few kilobytes apart, so one read per
// header would cost a system call each; read in spans this long, the
// headers of a whole movie cost a few hundred reads, each of them large,
// and a header far from the others one small read of its own.
constexpr std::size_t kSpanSize = std::size_t{1} << 19;

// Where the count and the data size of the group at `groupStart` lie: eight
// bytes, read together.
std::uint64_t headerWordsAt(std::uint32_t groupStart) {
  return std::uint64_t{groupStart} + Group::kCountAt;
}
constexpr std::size_t kHeaderWords = 8;

// The data offsets of the group chunks that the records at
// `chunkOffsets[from, to)` name, once for each record naming one.
void groupChunksNamed(MovieStream& file, std::uint32_t indexOffset,
                      const std::vector<std::uint32_t>& chunkOffsets, std::size_t from,
                      std::size_t to, std::vector<std::uint32_t>& groups) {
  groups.clear();
  for (std::size_t i = from; i < to; ++i) {
    unsigned char scratch[ChunkRecord::kSize];
    const unsigned char* record =
        file.bytesAt(elementPosition(indexOffset, chunkOffsets[i]), ChunkRecord::kSize, scratch);
    if (record != nullptr && isGroupChunk(readLe32(record))) groups.push_back(readLe32(record + 8));
  }
}

// The elements the walk will visit in the groups at `groups` (sorted, one
// entry per record naming each): a group's count when its whole location
// table lies in the file, none when its header does not. Stops once the sum
// exceeds `budget`.
std::uint64_t elementsOfGroups(MovieStream& file, const std::vector<std::uint32_t>& groups,
                               std::uint64_t budget) {
  std::unique_ptr<unsigned char[]> span;  // never zeroed first: only ever read into
  std::size_t spanCapacity = 0;
  std::uint64_t visits = 0;
  std::size_t first = 0;
  while (first < groups.size() && visits <= budget) {
    const std::uint64_t spanStart = headerWordsAt(groups[first]);
    // Sorted: once a header runs past the end of the file, so do the rest.
    if (spanStart + kHeaderWords > file.size()) break;
    std::size_t end = first;
    while (end < groups.size() && headerWordsAt(groups[end]) + kHeaderWords <= file.size() &&
           headerWordsAt(groups[end]) + kHeaderWords - spanStart <= kSpanSize) {
      ++end;
    }
    const auto spanLength =
        static_cast<std::size_t>(headerWordsAt(groups[end - 1]) + kHeaderWords - spanStart);
    if (spanCapacity < spanLength) {
      spanCapacity = std::max(spanLength, std::min(2 * spanCapacity, kSpanSize));
      span.reset(new unsigned char[spanCapacity]);
    }
    // A span that cannot be read counts for none of its groups, as a header
    // that cannot be read does: the walk then reads and counts them itself.
    if (file.peekBytes(spanStart, span.get(), spanLength)) {
      for (std::size_t i = first; i < end && visits <= budget; ++i) {
        const unsigned char* header = span.get() + (headerWordsAt(groups[i]) - spanStart);
        Group group;
        group.count = readLe32(header);
        group.dataSize = readLe32(header + 4);
        if (locationTableFits(file, groups[i], group)) visits += group.count;
      }
    }
    first = end;
  }
  return visits;
}

}  // namespace

std::uint64_t plannedElementVisits(MovieStream& file, std::uint32_t indexOffset,
                                   const std::vector<std::uint32_t>& chunkOffsets,
                                   std::uint64_t budget) {
  std::uint64_t visits = 0;
  std::vector<std::uint32_t> groups;
  for (std::size_t from = 0; from < chunkOffsets.size() && visits <= budget;
       from += kRecordsAtOnce) {
    const std::size_t to = std::min(chunkOffsets.size(), from + kRecordsAtOnce);
    groupChunksNamed(file, indexOffset, chunkOffsets, from, to, groups);
    // In file order, so that the headers are read front to back, and a
    // group named again and again is read once.
    std::sort(groups.begin(), groups.end());
    visits += elementsOfGroups(file, groups, budget - visits);
  }
  return visits;
}

}  // namespace vantrel
