#include "movie/movie_stream.h"

#include <gtest/gtest.h>

#include "tests/support/memory_device.h"

namespace vantrel {
namespace {

using moviekit::Bytes;
using moviekit::MemoryDevice;

TEST(MovieStreamTest, ReadsWordsAndBytesAtAbsolutePositions) {
  Bytes bytes = {0x01, 0x00, 0x00, 0x00, 0x78, 0x56, 0x34, 0x12, 'A', 'B'};
  MovieStream file(std::make_unique<MemoryDevice>(bytes));
  std::uint32_t word = 0;
  ASSERT_TRUE(file.seek(4));
  ASSERT_TRUE(file.readWord(word));
  EXPECT_EQ(word, 0x12345678u);
  EXPECT_EQ(file.position(), 8u);
  unsigned char tail[2];
  ASSERT_TRUE(file.readBytes(tail, 2));
  EXPECT_EQ(tail[1], 'B');
  ASSERT_TRUE(file.seek(0));
  ASSERT_TRUE(file.readWord(word));
  EXPECT_EQ(word, 1u);
}

TEST(MovieStreamTest, NothingIsReadPastTheEnd) {
  Bytes bytes(10, 0xEE);
  MovieStream file(std::make_unique<MemoryDevice>(bytes));
  std::uint32_t word = 0x5555;
  EXPECT_TRUE(file.seek(10));  // the end itself is a position
  EXPECT_FALSE(file.readWord(word));
  EXPECT_FALSE(file.seek(11));
  EXPECT_EQ(file.position(), 10u);
  ASSERT_TRUE(file.seek(7));
  EXPECT_FALSE(file.readWord(word));  // three bytes left
  EXPECT_EQ(file.position(), 7u);
  EXPECT_EQ(word, 0x5555u);  // a failed read leaves the word as it was
  EXPECT_FALSE(file.seek(0xFFFFFFFFFFFFFFFFull));
}

TEST(MovieStreamTest, WritesReachTheFileAndAreReadBack) {
  Bytes bytes(16, 0);
  {
    MovieStream file(std::make_unique<MemoryDevice>(bytes));
    ASSERT_TRUE(file.seek(8));
    ASSERT_TRUE(file.writeWord(0xA1B2C3D4u));
    std::uint32_t word = 0;
    ASSERT_TRUE(file.seek(8));
    ASSERT_TRUE(file.readWord(word));
    EXPECT_EQ(word, 0xA1B2C3D4u);
    EXPECT_FALSE(file.seek(13) && file.writeWord(1));  // would grow the file
    EXPECT_TRUE(file.close());
  }
  const Bytes expected = {0, 0, 0, 0, 0, 0, 0, 0, 0xD4, 0xC3, 0xB2, 0xA1, 0, 0, 0, 0};
  EXPECT_EQ(bytes, expected);
}

TEST(MovieStreamTest, CloseReportsAWriteThatFailed) {
  Bytes bytes(8, 0);
  MovieStream file(std::make_unique<MemoryDevice>(bytes, /*writable=*/false));
  ASSERT_TRUE(file.seek(0));
  file.writeWord(7);  // may fail now or when the word is pushed out
  EXPECT_FALSE(file.close());
  EXPECT_EQ(bytes, Bytes(8, 0));
}

}  // namespace
}  // namespace vantrel
