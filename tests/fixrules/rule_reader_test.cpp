// The rule file is read a piece at a time through a buffer of fixed size;
// neither the pieces nor the buffer may change what is read.
#include "fixrules/rule_reader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace vantrel {
namespace {

void expectSameLoad(const FixLoad& actual, const FixLoad& expected, const std::string& what) {
  SCOPED_TRACE(what);
  EXPECT_EQ(actual.opened, expected.opened);
  EXPECT_EQ(actual.badLine, expected.badLine);
  ASSERT_EQ(actual.table.size(), expected.table.size());
  for (std::size_t i = 0; i < expected.table.size(); ++i) {
    const FixRule& a = actual.table.rule(i);
    const FixRule& e = expected.table.rule(i);
    ASSERT_TRUE(std::memcmp(a.tag, e.tag, 4) == 0 && a.number == e.number &&
                a.oldValue == e.oldValue && a.newValue == e.newValue && a.line == e.line)
        << "rule " << i;
  }
  // The index answers as a scan of the rules in file order would.
  for (std::size_t i = 0; i < expected.table.size(); ++i) {
    const FixRule& rule = expected.table.rule(i);
    const auto found = findRule(actual.table, rule.tag, rule.number);
    ASSERT_TRUE(found.has_value());
    ASSERT_LE(*found, i);
    ASSERT_TRUE(std::memcmp(actual.table.rule(*found).tag, rule.tag, 4) == 0);
  }
}

FixLoad readInPieces(const std::string& bytes, std::size_t bufferSize, std::size_t pieceSize) {
  std::size_t offset = 0;
  const ByteReader read = [&](char* out, std::size_t room) {
    const std::size_t count = std::min({room, pieceSize, bytes.size() - offset});
    std::memcpy(out, bytes.data() + offset, count);
    offset += count;
    return count;
  };
  return readFixRules(read, bufferSize, 0);
}

const std::string kTrickyTexts[] = {
    "-ABCD 1 2 3\r\n-EFGH 4 5 6\r\n",
    "-ABCD 1 2 3\r",                       // a CR before the end stays white space
    "-ABCD 1 2 3\r\r\n\r\n-AB\r\nC 4 5 6",  // CR LF in a tag
    "-ABCD 123456789012345678901234567890 -0000000000000000000007 +4294967295\n",
    "-ABCD 1 2 3                                                         \n\n\n-EFGH 4 5 6",
    "-ABCD 1 2 3-EFGH 4 5 6-IJKL 7-8+9",
    "-ABCD 1 2 3\n\x1a-EFGH 4 5 6\n",
    "-ABCD 1 2 3\r\x1a\n-EFGH 4 5 6\n",
    "-ABCD 1 2 3\n-EFGH 4 5",            // cut short
    "-ABCD 1 2 3\n-EFGH 4 5 6 7\n",      // a stray number
    "-ABCD 1 2 3\n\n   # not a rule\n",
    "-ABCD\t1\v2\f3\n-   \n 4 5 6\n",
    "",
    "\x1a",
    " -ABCD 1 2 3\n",
    std::string("-AB\0D 1 2 3\n-ABCD 1\0 2 3\n", 25),
};

TEST(RuleReaderTest, PiecesAndBufferSizesDoNotChangeWhatIsRead) {
  for (const std::string& bytes : kTrickyTexts) {
    const FixLoad whole = readInPieces(bytes, 1 << 16, bytes.size() + 1);
    for (std::size_t buffer = 1; buffer <= 24; ++buffer) {
      for (std::size_t piece : {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{7}, bytes.size() + 1}) {
        expectSameLoad(readInPieces(bytes, buffer, piece), whole,
                       "buffer " + std::to_string(buffer) + ", piece " + std::to_string(piece) +
                           ": " + bytes);
      }
    }
  }
}

TEST(RuleReaderTest, ARecordLongerThanTheBufferIsReadWhole) {
  const std::string bytes = "-ABCD" + std::string(5000, ' ') + "1 " + std::string(3000, '0') + "2 3\n";
  const FixLoad load = readInPieces(bytes, 16, 100);
  ASSERT_EQ(load.table.size(), 1u);
  EXPECT_EQ(load.table.rule(0).oldValue, 2u);
  EXPECT_FALSE(load.badLine);
}

// A file on disk is read 64 KiB at a time. These files put a snippet at
// every position around the end of the first read; loading them must give
// what parsing the same bytes in one piece gives.
class BufferEdgeLoadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A folder of its own: ctest runs the cases as separate processes at once.
    dir_ = std::filesystem::temp_directory_path() /
           ("vantrel-buffer-edge-" +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  // Well-formed records filling exactly `size` bytes, numbered from `first`.
  static std::string filler(std::size_t size, int first) {
    std::string text;
    for (int i = first; text.size() + 40 < size; ++i) {
      text += "-FILL " + std::to_string(i) + " " + std::to_string(i % 7) + " 9\n";
    }
    text += "-LAST 1 2 3";
    text += std::string(size - text.size() - 1, ' ') + "\n";
    return text;
  }

  void expectSameAsOnePiece(const std::string& snippet) {
    const std::size_t firstRead = 64 * 1024;
    for (std::size_t k = 0; k <= snippet.size() + 1; ++k) {
      // The first read ends k bytes into the snippet.
      const std::string bytes = filler(firstRead - k, 0) + snippet + filler(4096, 500000);
      const std::string path = (dir_ / "fix.dat").string();
      std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
      expectSameLoad(loadFixTable(path), parseFixText(bytes),
                     "first read ends at " + std::to_string(k) + " of " + snippet);
    }
  }

  std::filesystem::path dir_;
};

TEST_F(BufferEdgeLoadTest, RecordsAroundTheEdge) {
  expectSameAsOnePiece("-ABCD 1 2 3\n-EFGH 4 5 6\n");
  expectSameAsOnePiece("-ABCD 1\n2\n3\n\n\n  -EFGH 4 5 6\n");  // a record over several lines
  expectSameAsOnePiece("-AB\nC 1 2 3\n-EF\nH 4 5 6\n");       // line ends in tags
  expectSameAsOnePiece("-ABCD 1 2 3-EFGH 4 5 6\n");            // two records on a line
  expectSameAsOnePiece("-FILL 3 3 100\n-FILL 3 4 200\n");      // later rules for early keys
}

TEST_F(BufferEdgeLoadTest, TextModeAroundTheEdge) {
  expectSameAsOnePiece("-ABCD 1 2 3\r\n-EFGH 4 5 6\r\n\r\n");
  expectSameAsOnePiece("-ABCD 1 2 3\r\r\n-EFGH\r4 5 6\n");
  expectSameAsOnePiece("-ABCD 1 2 3\n\x1a-EFGH 4 5 6\n");
}

TEST_F(BufferEdgeLoadTest, BadRecordsAroundTheEdge) {
  expectSameAsOnePiece("-ABCD 1 2 3\n# a note\n-EFGH 4 5 6\n");
  expectSameAsOnePiece("-ABCD 1 2 3 4\n-EFGH 4 5 6\n");
  expectSameAsOnePiece("\n\n-ABCD 1 2\n-EFGH 4 5 6\n");
}

TEST_F(BufferEdgeLoadTest, BadRecordFarIntoTheFileKeepsItsLineNumber) {
  const std::string bytes = filler(1 << 20, 0) + "-ABCD 1 2 x\n" + filler(1 << 19, 9);
  const std::string path = (dir_ / "fix.dat").string();
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  const FixLoad load = loadFixTable(path);
  expectSameLoad(load, parseFixText(bytes), "bad record late in the file");
  ASSERT_TRUE(load.badLine);
  EXPECT_EQ(*load.badLine, std::count(bytes.begin(), bytes.begin() + (1 << 20), '\n') + 1);
}

}  // namespace
}  // namespace vantrel
