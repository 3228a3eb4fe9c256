#ifndef VANTREL_MOVIE_LE_WORD_H_
#define VANTREL_MOVIE_LE_WORD_H_

#include <cstdint>

namespace vantrel {

// Every integer in a movie file is little-endian: {0x78, 0x56, 0x34, 0x12}
// is 0x12345678, whatever the host's byte order.
inline std::uint32_t readLe32(const unsigned char* bytes) {
  return static_cast<std::uint32_t>(bytes[0]) |
         static_cast<std::uint32_t>(bytes[1]) << 8 |
         static_cast<std::uint32_t>(bytes[2]) << 16 |
         static_cast<std::uint32_t>(bytes[3]) << 24;
}

inline void writeLe32(std::uint32_t word, unsigned char* bytes) {
  bytes[0] = static_cast<unsigned char>(word);
  bytes[1] = static_cast<unsigned char>(word >> 8);
  bytes[2] = static_cast<unsigned char>(word >> 16);
  bytes[3] = static_cast<unsigned char>(word >> 24);
}

}  // namespace vantrel

#endif  // VANTREL_MOVIE_LE_WORD_H_
