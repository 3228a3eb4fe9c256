#include "movie/movie_stream.h"

#include <gtest/gtest.h>

#include <random>

#include "movie/le_word.h"
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

TEST(MovieStreamTest, WordsAcrossWindowEdgesReadAndWriteWhole) {
  // Offsets two bytes short of every 64 KiB boundary: whatever the window
  // size, some of these words straddle two windows.
  Bytes bytes(1 << 21);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>(i * 7);
  Bytes expected = bytes;
  {
    MovieStream file(std::make_unique<MemoryDevice>(bytes));
    for (std::uint64_t at = (1 << 16) - 2; at + 4 <= bytes.size(); at += 1 << 16) {
      std::uint32_t word = 0;
      ASSERT_TRUE(file.seek(at));
      ASSERT_TRUE(file.readWord(word));
      EXPECT_EQ(word, readLe32(expected.data() + at));
      ASSERT_TRUE(file.seek(at));
      ASSERT_TRUE(file.writeWord(static_cast<std::uint32_t>(at) ^ 0xA5A5A5A5u));
      writeLe32(static_cast<std::uint32_t>(at) ^ 0xA5A5A5A5u, expected.data() + at);
      ASSERT_TRUE(file.seek(at));
      ASSERT_TRUE(file.readWord(word));
      EXPECT_EQ(word, static_cast<std::uint32_t>(at) ^ 0xA5A5A5A5u);
    }
    EXPECT_TRUE(file.close());
  }
  EXPECT_EQ(bytes, expected);
}

TEST(MovieStreamTest, AgreesWithAPlainByteArrayUnderRandomUse) {
  // Reads, writes and seeks all over a file larger than the stream keeps in
  // memory: every read sees the latest write, and the file ends up holding
  // exactly the words written, nothing else.
  std::mt19937 random(99);
  for (const std::size_t size : {std::size_t{0}, std::size_t{3}, std::size_t{4097}, std::size_t{3} << 20}) {
    Bytes bytes(size);
    for (unsigned char& byte : bytes) byte = static_cast<unsigned char>(random());
    Bytes model = bytes;
    MovieStream file(std::make_unique<MemoryDevice>(bytes));
    for (int op = 0; op < 20000; ++op) {
      const std::uint64_t at = random() % (size + 8);
      const bool inside = at + 4 <= size;
      if (!file.seek(at)) {
        EXPECT_GT(at, size);
        continue;
      }
      std::uint32_t word = 0;
      if (random() % 3 == 0) {
        const auto value = static_cast<std::uint32_t>(random());
        ASSERT_EQ(file.writeWord(value), inside) << "at " << at;
        if (inside) writeLe32(value, model.data() + at);
      } else {
        ASSERT_EQ(file.readWord(word), inside) << "at " << at;
        if (inside) {
          ASSERT_EQ(word, readLe32(model.data() + at)) << "at " << at;
        }
      }
      EXPECT_EQ(file.position(), inside ? at + 4 : at);
    }
    EXPECT_TRUE(file.close());
    EXPECT_EQ(bytes, model) << "size " << size;
  }
}

// Refuses every write from the first one on.
class WriteRefusingDevice : public MemoryDevice {
 public:
  using MemoryDevice::MemoryDevice;
  bool writeAt(std::uint64_t, const unsigned char*, std::size_t) override { return false; }
};

TEST(MovieStreamTest, AWriteLostWhenItsWindowMovesOnRefusesLaterWrites) {
  Bytes bytes(8 << 20, 0);
  MovieStream file(std::make_unique<WriteRefusingDevice>(bytes));
  ASSERT_TRUE(file.seek(16));
  file.writeWord(1);
  // Visit enough of the file that the first window is reused.
  std::uint32_t word = 0;
  for (std::uint64_t at = 1 << 20; at < bytes.size(); at += 1 << 20) {
    ASSERT_TRUE(file.seek(at));
    ASSERT_TRUE(file.readWord(word));
  }
  ASSERT_TRUE(file.seek(32));
  EXPECT_FALSE(file.writeWord(2));
  EXPECT_FALSE(file.close());
  EXPECT_EQ(bytes, Bytes(8 << 20, 0));
}

}  // namespace
}  // namespace vantrel
