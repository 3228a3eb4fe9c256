#include "tests/support/sparse_movie.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <stdexcept>

#include "movie/le_word.h"

namespace vantrel::moviekit {
namespace {

constexpr std::uint32_t kHeaderSize = 28;
constexpr std::uint32_t kActrSize = 48;  // 28 bytes, the reference, 4 bytes
constexpr std::uint32_t kActrValueAt = 28;
const Rule kHoleRule{"SPRS", 1, 0, 0x11111111u};  // a hole reads as a zero value
const Rule kPageRule{"SPRS", 2, 5, 0x22222222u};

}  // namespace

SparseMovie sparseMovie(std::uint32_t pageSize) {
  SparseMovie sparse;
  sparse.rules = {kHoleRule, kPageRule};
  MovieBuilder builder(4242);
  std::uint64_t at = kHeaderSize;  // where the next chunk's data starts
  // An 'ACTR' whose value word lies at `valueAt`, after filler up to it.
  const auto addActrAt = [&](std::uint64_t valueAt, const Reference& reference) {
    if (valueAt < at + kActrValueAt) throw std::logic_error("pages too small for the movie");
    builder.addOtherChunk(makeChunkTag("SND "),
                          static_cast<std::uint32_t>(valueAt - kActrValueAt - at));
    builder.addActr(reference);
    at = valueAt - kActrValueAt + kActrSize;
  };
  for (std::uint64_t hole = 1; hole <= 5; hole += 2) {
    const std::uint64_t boundary = (hole + 1) * pageSize;
    sparse.holes.emplace_back(hole * pageSize, boundary);
    addActrAt(boundary - 8, Reference{kHoleRule.oldValue, kHoleRule.tag, kHoleRule.number, 0});
    sparse.failing.push_back(boundary - 8);
    addActrAt(boundary + pageSize / 4,
              Reference{kPageRule.oldValue, kPageRule.tag, kPageRule.number});
    sparse.landing.push_back(boundary + pageSize / 4);
  }
  sparse.movie = builder.build();
  for (const auto& [begin, end] : sparse.holes) {
    std::fill(sparse.movie.bytes.begin() + static_cast<std::ptrdiff_t>(begin),
              sparse.movie.bytes.begin() + static_cast<std::ptrdiff_t>(end), 0);
  }
  for (const std::uint64_t offset : sparse.failing) {
    if (std::memcmp(sparse.movie.bytes.data() + offset + 8, kHoleRule.tag.data(), 4) != 0) {
      throw std::logic_error("the sparse movie's references are not where they should be");
    }
  }
  return sparse;
}

void writeSparseFile(const std::string& path, const SparseMovie& sparse) {
  const Bytes& bytes = sparse.movie.bytes;
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  std::uint64_t from = 0;
  // The index comes last, so the file ends with written bytes.
  for (std::size_t i = 0; i <= sparse.holes.size(); ++i) {
    const std::uint64_t to = i < sparse.holes.size() ? sparse.holes[i].first : bytes.size();
    file.seekp(static_cast<std::streamoff>(from));
    file.write(reinterpret_cast<const char*>(bytes.data() + from),
               static_cast<std::streamsize>(to - from));
    if (i < sparse.holes.size()) from = sparse.holes[i].second;
  }
  if (!file.flush()) throw std::runtime_error("cannot write " + path);
}

Bytes withLandingFixes(const SparseMovie& sparse) {
  Bytes bytes = sparse.movie.bytes;
  for (const std::uint64_t offset : sparse.landing) {
    writeLe32(kPageRule.newValue, bytes.data() + offset);
  }
  return bytes;
}

}  // namespace vantrel::moviekit
