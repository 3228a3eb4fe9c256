#include "tests/support/large_movie.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <utility>

#include "movie/le_word.h"

namespace vantrel::moviekit {
namespace {

constexpr std::uint64_t kSize = 0x100000000u;
constexpr std::uint32_t kActrLow = 0x1000;
constexpr std::uint32_t kActrAtTwoGiB = 0x80000000u - 28;  // its value word at 2 GiB
constexpr std::uint32_t kGroup = 0xC0000000u;
constexpr std::uint32_t kGroupDataSize = 0x01000000u;
constexpr std::uint32_t kIndex = 0xF0000000u;
constexpr std::uint32_t kTdtAtEnd = 0xFFFFFFE8u;  // its value word at 0xFFFFFFF0
const Rule kRule{"HUGE", 1, 5, 0xABCD1234u};
const Reference kFixed{kRule.oldValue, kRule.tag, kRule.number};
const Reference kLeftAlone{7, kRule.tag, kRule.number};  // a value no rule expects

class Layout {
 public:
  Layout() { movie_.pieces.reserve(16); }  // so that a piece stays where it is
  Piece& piece(std::uint64_t offset, std::uint32_t size) {
    Piece piece{offset, Bytes(size)};
    for (unsigned char& byte : piece.bytes) byte = static_cast<unsigned char>(next() | 1);
    movie_.pieces.push_back(std::move(piece));
    return movie_.pieces.back();
  }
  static void word(Piece& piece, std::uint64_t offset, std::uint32_t value) {
    writeLe32(value, piece.bytes.data() + (offset - piece.offset));
  }
  // The reference's 16 bytes at `offset`, the spare word left as noise.
  void reference(Piece& piece, std::uint64_t offset, const Reference& reference) {
    word(piece, offset, reference.value);
    for (std::size_t i = 0; i < 4; ++i)
      piece.bytes[offset - piece.offset + 8 + i] = reference.tag[i];
    word(piece, offset + 12, reference.number);
    if (reference.value == kRule.oldValue) movie_.fixed.push_back(offset);
  }
  LargeMovie& movie() { return movie_; }

 private:
  std::uint32_t next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }
  std::uint32_t state_ = 0x2545F491u;
  LargeMovie movie_;
};

void addGroupChunk(Layout& layout) {
  // Three elements: at the data's start, in its middle, and ending it.
  const std::uint32_t offsets[] = {0, kGroupDataSize / 2, kGroupDataSize - 24};
  const std::uint64_t data = kGroup + 20;
  Piece& head = layout.piece(kGroup, 20 + 44);
  Layout::word(head, kGroup + 4, 3);
  Layout::word(head, kGroup + 8, kGroupDataSize);
  Layout::word(head, data + 4, 1);  // a kind 1 element: its reference at 28
  layout.reference(head, data + 28, kFixed);
  for (int i = 1; i < 3; ++i) {
    Piece& element = layout.piece(data + offsets[i], 24);
    Layout::word(element, data + offsets[i] + 4, 4);  // a kind 4 element: its reference at 8
    layout.reference(element, data + offsets[i] + 8, i == 1 ? kLeftAlone : kFixed);
  }
  const std::uint64_t table = data + kGroupDataSize;
  Piece& locations = layout.piece(table, 3 * 8);
  for (int i = 0; i < 3; ++i) Layout::word(locations, table + 8 * i, offsets[i]);
}

void addIndex(Layout& layout, const std::vector<std::pair<ChunkTag, std::uint32_t>>& chunks) {
  const auto count = static_cast<std::uint32_t>(chunks.size());
  Piece& index = layout.piece(kIndex, 20 + count * 16 + count * 8);
  Layout::word(index, kIndex + 4, count);
  Layout::word(index, kIndex + 8, count * 16);
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint64_t record = kIndex + 20 + i * 16;
    Layout::word(index, record, chunks[i].first);
    Layout::word(index, record + 8, chunks[i].second);
    Layout::word(index, kIndex + 20 + count * 16 + i * 8, i * 16);
  }
}

}  // namespace

LargeMovie largeMovie() {
  Layout layout;
  Piece& header = layout.piece(0, 28);
  const unsigned char magic[] = {'C', 'H', 'N', '2'};
  std::copy(std::begin(magic), std::end(magic), header.bytes.begin());
  Layout::word(header, ContainerHeader::kIndexOffsetAt, kIndex);
  Piece& low = layout.piece(kActrLow, 48);
  layout.reference(low, kActrLow + 28, kFixed);
  Piece& middle = layout.piece(kActrAtTwoGiB, 48);
  layout.reference(middle, kActrAtTwoGiB + 28, kFixed);
  addGroupChunk(layout);
  addIndex(
      layout,
      {{kTagActr, kActrLow}, {kTagActr, kActrAtTwoGiB}, {kTagGgfr, kGroup}, {kTagTdt, kTdtAtEnd}});
  Piece& last = layout.piece(kTdtAtEnd, static_cast<std::uint32_t>(kSize - kTdtAtEnd));
  layout.reference(last, kTdtAtEnd + 8, kFixed);
  LargeMovie movie = std::move(layout.movie());
  movie.size = kSize;
  movie.rules = {kRule};
  movie.chunkCount = 4;
  return movie;
}

void writeLargeMovie(const std::string& path, const LargeMovie& movie) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  for (const Piece& piece : movie.pieces) {
    file.seekp(static_cast<std::streamoff>(piece.offset));
    file.write(reinterpret_cast<const char*>(piece.bytes.data()),
               static_cast<std::streamsize>(piece.bytes.size()));
  }
  const Piece& last = movie.pieces.back();
  if (!file.flush() || last.offset + last.bytes.size() != movie.size) {
    throw std::runtime_error("cannot write " + path);
  }
}

std::vector<Piece> piecesAfterFix(const LargeMovie& movie) {
  std::vector<Piece> pieces = movie.pieces;
  for (const std::uint64_t offset : movie.fixed) {
    for (Piece& piece : pieces) {
      if (offset >= piece.offset && offset + 4 <= piece.offset + piece.bytes.size()) {
        writeLe32(movie.rules[0].newValue, piece.bytes.data() + (offset - piece.offset));
      }
    }
  }
  return pieces;
}

std::string firstDifference(const std::string& path, const std::vector<Piece>& pieces) {
  std::ifstream file(path, std::ios::binary);
  for (const Piece& piece : pieces) {
    Bytes actual(piece.bytes.size());
    file.seekg(static_cast<std::streamoff>(piece.offset));
    file.read(reinterpret_cast<char*>(actual.data()), static_cast<std::streamsize>(actual.size()));
    if (!file)
      return "cannot read " + std::to_string(actual.size()) + " bytes at " +
             std::to_string(piece.offset);
    for (std::size_t i = 0; i < actual.size(); ++i) {
      if (actual[i] != piece.bytes[i]) {
        return "the byte at " + std::to_string(piece.offset + i) + " is " +
               std::to_string(actual[i]) + ", not " + std::to_string(piece.bytes[i]);
      }
    }
  }
  return "";
}

}  // namespace vantrel::moviekit
