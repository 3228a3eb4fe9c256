#include "tests/support/hostile_movies.h"

#include <cstring>

#include "movie/container_layout.h"
#include "movie/le_word.h"

namespace vantrel::moviekit {
namespace {

constexpr std::uint32_t kHeaderSize = 28;

// A file of `size` zero bytes with the magic and the index's offset set.
Bytes emptyMovie(std::uint64_t size, std::uint32_t indexOffset) {
  Bytes bytes(size, 0);
  std::memcpy(bytes.data(), "CHN2", 4);
  writeLe32(indexOffset, bytes.data() + 20);
  return bytes;
}

void put(Bytes& bytes, std::uint64_t at, std::uint32_t word) { writeLe32(word, bytes.data() + at); }

// A Group header at `at`: its count and the size of its data area.
void putGroupHeader(Bytes& bytes, std::uint64_t at, std::uint32_t count, std::uint32_t dataSize) {
  put(bytes, at + 4, count);
  put(bytes, at + 8, dataSize);
}

// A chunk record (an element of the index) at `at`.
void putChunkRecord(Bytes& bytes, std::uint64_t at, ChunkTag tag, std::uint32_t dataOffset) {
  put(bytes, at, tag);
  put(bytes, at + 8, dataOffset);
}

}  // namespace

Bytes repeatedGroupMovie(std::uint32_t indexEntries, std::uint32_t groupEntries) {
  constexpr std::uint32_t kGroupAt = kHeaderSize;
  constexpr std::uint32_t kElementSize = 48;  // kind word, then the reference at 32
  const std::uint64_t indexAt = kGroupAt + 20 + kElementSize + 8ull * groupEntries;
  Bytes bytes =
      emptyMovie(indexAt + 20 + 16 + 8ull * indexEntries, static_cast<std::uint32_t>(indexAt));
  putGroupHeader(bytes, kGroupAt, groupEntries, kElementSize);
  const std::uint64_t element = kGroupAt + 20;
  put(bytes, element, 2);
  put(bytes, element + 32, 1);
  std::memcpy(bytes.data() + element + 40, "BMAP", 4);
  put(bytes, element + 44, 7);
  // Every location entry of both tables is 0: the first element.
  putGroupHeader(bytes, indexAt, indexEntries, 16);
  putChunkRecord(bytes, indexAt + 20, kTagGgae, kGroupAt);
  return bytes;
}

Bytes overlappingGroupsMovie(std::uint32_t groups, std::uint32_t tableEntries) {
  constexpr std::uint32_t kFirstGroupAt = kHeaderSize;
  // Each group reads its words at +4 and +8 alone; the next one starts 12
  // bytes on, inside its unread header bytes.
  const std::uint64_t tableAt = kFirstGroupAt + 12ull * groups + 20;
  const std::uint64_t indexAt = tableAt + 8ull * tableEntries;
  Bytes bytes = emptyMovie(indexAt + 20 + 24ull * groups, static_cast<std::uint32_t>(indexAt));
  for (std::uint32_t k = 0; k < groups; ++k) {
    const std::uint64_t group = kFirstGroupAt + 12ull * k;
    putGroupHeader(bytes, group, tableEntries, static_cast<std::uint32_t>(tableAt - group - 20));
  }
  putGroupHeader(bytes, indexAt, groups, 16 * groups);
  const std::uint64_t indexTable = indexAt + 20 + 16ull * groups;
  for (std::uint32_t k = 0; k < groups; ++k) {
    putChunkRecord(bytes, indexAt + 20 + 16ull * k, kTagGgfr, kFirstGroupAt + 12 * k);
    put(bytes, indexTable + 8ull * k, 16 * k);
  }
  return bytes;
}

Rule raiseCountRule(std::uint32_t raisedCount) { return Rule{"SIZE", 1, 1, raisedCount}; }

Bytes countRaisedByAFixMovie(std::uint32_t raisedCount, std::uint32_t groupVisits) {
  // The 'TDT ' chunk's reference lies at its data + 8; the group starts 4
  // bytes before it, so that the reference's value word is the group's
  // count, its untouched word the data size, and its tag and number lie in
  // the group header's unread bytes.
  constexpr std::uint32_t kTdtAt = kHeaderSize;
  constexpr std::uint32_t kGroupAt = kTdtAt + 4;
  constexpr std::uint32_t kDataSize = 16;
  const std::uint64_t tableAt = kGroupAt + 20 + kDataSize;
  const std::uint64_t indexAt = tableAt + 8ull * raisedCount;
  const std::uint32_t chunks = 1 + groupVisits;
  Bytes bytes =
      emptyMovie(indexAt + 20 + 16 + 16 + 8ull * chunks, static_cast<std::uint32_t>(indexAt));
  putGroupHeader(bytes, kGroupAt, 1, kDataSize);
  std::memcpy(bytes.data() + kGroupAt + 12, "SIZE", 4);
  put(bytes, kGroupAt + 16, 1);
  // Two records: the 'TDT ' chunk first, then the group, listed again and again.
  putGroupHeader(bytes, indexAt, chunks, 32);
  putChunkRecord(bytes, indexAt + 20, kTagTdt, kTdtAt);
  putChunkRecord(bytes, indexAt + 36, kTagGgfr, kGroupAt);
  for (std::uint32_t chunk = 1; chunk < chunks; ++chunk) {
    put(bytes, indexAt + 52 + 8ull * chunk, 16);
  }
  return bytes;
}

}  // namespace vantrel::moviekit
