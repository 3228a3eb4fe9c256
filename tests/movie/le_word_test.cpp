#include "movie/le_word.h"

#include <gtest/gtest.h>

#include "movie/container_layout.h"

namespace vantrel {
namespace {

TEST(LeWordTest, ReadsAndWritesLittleEndian) {
  const unsigned char bytes[] = {0x78, 0x56, 0x34, 0x12};  // 0x12345678
  EXPECT_EQ(readLe32(bytes), 0x12345678u);
  const unsigned char high[] = {0x01, 0x00, 0x00, 0x80};  // 0x80000001
  EXPECT_EQ(readLe32(high), 0x80000001u);

  unsigned char out[4] = {};
  writeLe32(0xA1B2C3D4u, out);
  EXPECT_EQ(out[0], 0xD4);
  EXPECT_EQ(out[1], 0xC3);
  EXPECT_EQ(out[2], 0xB2);
  EXPECT_EQ(out[3], 0xA1);
}

TEST(ChunkTagTest, FirstCharacterIsTheMostSignificantByte) {
  // 'GGFR' lies in the file as R, F, G, G.
  const unsigned char inFile[] = {'R', 'F', 'G', 'G'};
  EXPECT_EQ(readLe32(inFile), kTagGgfr);
  const unsigned char tdt[] = {' ', 'T', 'D', 'T'};
  EXPECT_EQ(readLe32(tdt), kTagTdt);
  const unsigned char readingOrder[] = {'G', 'G', 'F', 'R'};
  EXPECT_NE(readLe32(readingOrder), kTagGgfr);
}

}  // namespace
}  // namespace vantrel
