#ifndef VANTREL_MOVIE_CONTAINER_LAYOUT_H_
#define VANTREL_MOVIE_CONTAINER_LAYOUT_H_

#include <cstdint>

// Where things lie in a movie file, as far as the walk reads it. Offsets are
// in bytes; "absolute" ones count from the start of the file.
namespace vantrel {

// A four-character chunk code held in one little-endian word whose most
// significant byte is the first character: 'GGFR' lies in the file as the
// bytes R, F, G, G.
using ChunkTag = std::uint32_t;

constexpr ChunkTag makeChunkTag(const char (&code)[5]) {
  return static_cast<ChunkTag>(static_cast<unsigned char>(code[0])) << 24 |
         static_cast<ChunkTag>(static_cast<unsigned char>(code[1])) << 16 |
         static_cast<ChunkTag>(static_cast<unsigned char>(code[2])) << 8 |
         static_cast<ChunkTag>(static_cast<unsigned char>(code[3]));
}

inline constexpr ChunkTag kTagActr = makeChunkTag("ACTR");
inline constexpr ChunkTag kTagTdt = makeChunkTag("TDT ");
inline constexpr ChunkTag kTagGgae = makeChunkTag("GGAE");
inline constexpr ChunkTag kTagGgfr = makeChunkTag("GGFR");
inline constexpr ChunkTag kTagGgst = makeChunkTag("GGST");

// ContainerHeader, at offset 0: the magic, then 16 bytes the walk skips,
// then the absolute offset of the chunk index and a word read but not used.
struct ContainerHeader {
  static constexpr unsigned char kMagic[4] = {'C', 'H', 'N', '2'};
  static constexpr std::uint64_t kIndexOffsetAt = 20;
  static constexpr std::uint64_t kSize = 28;
};

// Group: the list structure of the chunk index and of group chunks. From its
// start B: a 20-byte header holding `count` at B + 4 and `dataSize` at B + 8,
// the data area at B + 20, and after it the location table, `count` entries
// of two words. An entry's first word is the element's offset from the start
// of the data area; its second word is not used.
struct Group {
  static constexpr std::uint64_t kCountAt = 4;
  static constexpr std::uint64_t kDataSizeAt = 8;
  static constexpr std::uint64_t kHeaderSize = 20;
  static constexpr std::uint64_t kLocationEntrySize = 8;

  std::uint32_t count = 0;
  std::uint32_t dataSize = 0;
};

// ChunkRecord: one element of the index. 16 bytes: the chunk's tag, a word
// not used, the absolute offset of the chunk's data, a byte not used and a
// 24-bit little-endian integer not used.
struct ChunkRecord {
  static constexpr std::uint64_t kSize = 16;

  ChunkTag tag = 0;
  std::uint32_t dataOffset = 0;
};

}  // namespace vantrel

#endif  // VANTREL_MOVIE_CONTAINER_LAYOUT_H_
