#include "movie/movie_stream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "movie/le_word.h"
#include "tests/support/faulty_device.h"
#include "tests/support/memory_device.h"
#include "tests/support/walk_helpers.h"

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

// Keeps the offset and length of every write the stream makes.
class WriteRecordingDevice : public MemoryDevice {
 public:
  WriteRecordingDevice(Bytes& bytes, std::vector<std::pair<std::uint64_t, std::size_t>>& writes)
      : MemoryDevice(bytes), writes_(writes) {}
  bool writeAt(std::uint64_t offset, const unsigned char* data, std::size_t n) override {
    writes_.emplace_back(offset, n);
    return MemoryDevice::writeAt(offset, data, n);
  }

 private:
  std::vector<std::pair<std::uint64_t, std::size_t>>& writes_;
};

TEST(MovieStreamTest, EachWordIsWrittenAtOnceAndNothingReadIsWrittenBack) {
  Bytes bytes(4096, 0x11);
  std::vector<std::pair<std::uint64_t, std::size_t>> writes;
  MovieStream file(std::make_unique<WriteRecordingDevice>(bytes, writes));
  std::uint32_t word = 0;
  ASSERT_TRUE(file.seek(100));
  ASSERT_TRUE(file.readWord(word));  // the window now holds the whole file
  bytes[1000] = 0x99;                // another program writes meanwhile
  ASSERT_TRUE(file.seek(2000));
  ASSERT_TRUE(file.writeWord(0xA1B2C3D4u));
  EXPECT_EQ(readLe32(bytes.data() + 2000), 0xA1B2C3D4u);  // before any close
  ASSERT_TRUE(file.seek(96));
  ASSERT_TRUE(file.writeWord(7));
  EXPECT_TRUE(file.close());
  const std::vector<std::pair<std::uint64_t, std::size_t>> expected = {{2000, 4}, {96, 4}};
  EXPECT_EQ(writes, expected);
  EXPECT_EQ(bytes[1000], 0x99);
}

TEST(MovieStreamTest, AFailedWriteLeavesTheWindowsHoldingWhatTheFileHolds) {
  using moviekit::Fault;
  using moviekit::FaultLog;
  using moviekit::FaultyDevice;
  struct Case {
    Fault fault;
    std::uint64_t at;
  };
  // 262142 straddles the first two windows.
  for (const Case c : {Case{Fault::WriteFails, 5000}, Case{Fault::WriteTorn, 5000},
                       Case{Fault::WriteFails, 262142}, Case{Fault::WriteTorn, 262142}}) {
    SCOPED_TRACE(std::string(moviekit::faultName(c.fault)) + " at " + std::to_string(c.at));
    Bytes bytes(1 << 20);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>(i * 13);
    const Bytes before = bytes;
    FaultLog log;
    MovieStream file(std::make_unique<FaultyDevice>(bytes, before, c.fault, 1, log));
    std::uint32_t word = 0;
    ASSERT_TRUE(file.seek(c.at - 4) && file.readWord(word) && file.readWord(word));
    ASSERT_TRUE(file.seek(c.at));
    EXPECT_FALSE(file.writeWord(0xCAFEF00Du));
    EXPECT_EQ(file.position(), c.at);
    ASSERT_TRUE(file.readWord(word));
    EXPECT_EQ(word, readLe32(bytes.data() + c.at));  // torn: half of the new word
    // The next write is still made.
    ASSERT_TRUE(file.seek(c.at));
    EXPECT_TRUE(file.writeWord(0x0BADCAFEu));
    ASSERT_TRUE(file.seek(c.at));
    ASSERT_TRUE(file.readWord(word));
    EXPECT_EQ(word, 0x0BADCAFEu);
    EXPECT_TRUE(file.close());
    EXPECT_EQ(readLe32(bytes.data() + c.at), 0x0BADCAFEu);
    EXPECT_EQ(moviekit::changedOffsets(before, bytes).size(), 4u);
  }
}

TEST(MovieStreamTest, CloseSyncsOnlyAfterAWriteWasAttempted) {
  struct Case {
    const char* what;
    bool write;
    bool writable;
    int syncs;
  };
  for (const Case c : {Case{"nothing written", false, true, 0}, Case{"a word written", true, true, 1},
                       Case{"a write refused", true, false, 1}}) {
    SCOPED_TRACE(c.what);
    Bytes bytes(16, 0);
    moviekit::DeviceLog log;
    MovieStream file(std::make_unique<MemoryDevice>(bytes, c.writable, &log));
    std::uint32_t word = 0;
    ASSERT_TRUE(file.readWord(word));
    if (c.write) {
      EXPECT_EQ(file.seek(4) && file.writeWord(9), c.writable);
    }
    EXPECT_TRUE(file.close());
    EXPECT_EQ(log.syncs, c.syncs);
    EXPECT_TRUE(file.close());  // a second close answers as the first
    EXPECT_EQ(log.syncs, c.syncs);
  }
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
  // Reads, peeks, writes and seeks all over a file larger than the stream
  // keeps in memory: every read and peek sees the latest write, a peek
  // leaves the position alone, and the file ends up holding exactly the
  // words written, nothing else.
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
      if (random() % 4 == 0) {
        unsigned char peeked[8];
        const bool whole = at + 8 <= size;
        ASSERT_EQ(file.peekBytes(at, peeked, 8), whole) << "peek at " << at;
        if (whole) {
          ASSERT_TRUE(std::equal(peeked, peeked + 8, model.begin() + static_cast<long>(at)));
        }
        EXPECT_EQ(file.position(), at);
        continue;
      }
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

}  // namespace
}  // namespace vantrel
