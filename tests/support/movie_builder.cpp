#include "tests/support/movie_builder.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace vantrel::moviekit {
namespace {

constexpr std::uint32_t kPlainElementSize = 16;

std::uint32_t kindPositionFor(ChunkTag tag) { return tag == kTagGgae ? 0 : 4; }

// Appends to a byte vector, filling gaps with seeded noise.
class Writer {
 public:
  explicit Writer(std::uint32_t seed) : state_(seed == 0 ? 0x9E3779B9u : seed) {}

  Bytes& bytes() { return bytes_; }
  std::uint32_t size() const { return static_cast<std::uint32_t>(bytes_.size()); }

  void noise(std::uint32_t count) {
    for (std::uint32_t i = 0; i < count; ++i) bytes_.push_back(static_cast<unsigned char>(next()));
  }
  void word(std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
      bytes_.push_back(static_cast<unsigned char>(value >> shift));
  }
  void tagBytes(const std::string& tag) {
    if (tag.size() != 4) throw std::invalid_argument("a tag is four bytes: " + tag);
    bytes_.insert(bytes_.end(), tag.begin(), tag.end());
  }
  void putWord(std::uint32_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes_[at + i] = static_cast<unsigned char>(value >> (8 * i));
  }
  // Writes the reference at the end; returns the value word's offset.
  std::uint32_t reference(const Reference& reference) {
    const std::uint32_t at = size();
    word(reference.value);
    word(reference.spare);
    tagBytes(reference.tag);
    word(reference.number);
    return at;
  }

 private:
  std::uint32_t next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }

  Bytes bytes_;
  std::uint32_t state_;
};

std::uint32_t elementSize(ChunkTag chunkTag, const Element& element) {
  std::uint32_t size = kPlainElementSize;
  if (const auto at = elementReferenceAt(chunkTag, element.kind)) size = *at + 16;
  if (element.decoyAt) size = std::max(size, *element.decoyAt + 16);
  return size;
}

}  // namespace

std::optional<std::uint32_t> elementReferenceAt(ChunkTag chunkTag, std::uint32_t kind) {
  if (chunkTag == kTagGgae) {
    if (kind == 2) return 32u;
    if (kind == 6) return 48u;
  } else if (chunkTag == kTagGgfr || chunkTag == kTagGgst) {
    if (kind == 1) return 28u;
    if (kind == 4) return 8u;
  }
  return std::nullopt;
}

MovieBuilder& MovieBuilder::addActr(const Reference& reference) {
  chunks_.push_back(Chunk{kTagActr, std::nullopt, reference, {}, 0});
  return *this;
}

MovieBuilder& MovieBuilder::addTdt(const Reference& reference) {
  chunks_.push_back(Chunk{kTagTdt, std::nullopt, reference, {}, 0});
  return *this;
}

MovieBuilder& MovieBuilder::addGroupChunk(ChunkTag tag, std::vector<Element> elements) {
  chunks_.push_back(Chunk{tag, std::nullopt, std::nullopt, std::move(elements), 0});
  return *this;
}

MovieBuilder& MovieBuilder::addOtherChunk(ChunkTag tag, std::uint32_t dataSize) {
  chunks_.push_back(Chunk{tag, std::nullopt, std::nullopt, {}, dataSize});
  return *this;
}

MovieBuilder& MovieBuilder::addChunkWithTagBytes(const std::string& tagBytes,
                                                 const Reference& reference) {
  chunks_.push_back(Chunk{0, tagBytes, reference, {}, 0});
  return *this;
}

BuiltMovie MovieBuilder::build() const {
  Writer out(seed_);
  BuiltMovie movie;
  out.tagBytes("CHN2");
  out.noise(16);
  out.word(0);  // index offset, filled in below
  out.noise(4);

  for (const Chunk& chunk : chunks_) {
    const std::uint32_t data = out.size();
    movie.chunkDataOffsets.push_back(data);
    const bool isGroup = chunk.tag == kTagGgae || chunk.tag == kTagGgfr || chunk.tag == kTagGgst;
    if (chunk.tagBytes) {
      // Laid out like an 'ACTR', so only the tag decides whether it is patched.
      out.noise(28);
      movie.references.push_back({out.reference(*chunk.reference), *chunk.reference, false});
      out.noise(4);
    } else if (chunk.tag == kTagActr || chunk.tag == kTagTdt) {
      out.noise(chunk.tag == kTagActr ? 28 : 8);
      movie.references.push_back({out.reference(*chunk.reference), *chunk.reference, true});
      out.noise(4);
    } else if (isGroup || !chunk.elements.empty()) {
      std::uint32_t dataSize = 0;
      for (const Element& element : chunk.elements) dataSize += elementSize(chunk.tag, element);
      out.noise(4);
      out.word(static_cast<std::uint32_t>(chunk.elements.size()));
      out.word(dataSize);
      out.noise(8);
      std::vector<std::uint32_t> offsets;
      for (const Element& element : chunk.elements) {
        const std::uint32_t start = out.size();
        offsets.push_back(start - data - 20);
        const std::uint32_t size = elementSize(chunk.tag, element);
        out.noise(size);
        out.putWord(start + kindPositionFor(chunk.tag), element.kind);
        const auto kindAt = elementReferenceAt(chunk.tag, element.kind);
        if (element.reference && (element.decoyAt || kindAt)) {
          const std::uint32_t at = start + (element.decoyAt ? *element.decoyAt : *kindAt);
          Writer ref(0);
          ref.reference(*element.reference);
          std::copy(ref.bytes().begin(), ref.bytes().end(), out.bytes().begin() + at);
          movie.references.push_back({at, *element.reference, !element.decoyAt.has_value()});
        }
      }
      for (const std::uint32_t offset : offsets) {
        out.word(offset);
        out.noise(4);
      }
    } else {
      out.noise(chunk.otherSize);
    }
  }

  movie.indexOffset = out.size();
  movie.chunkCount = static_cast<std::uint32_t>(chunks_.size());
  out.putWord(ContainerHeader::kIndexOffsetAt, movie.indexOffset);
  out.noise(4);
  out.word(movie.chunkCount);
  out.word(movie.chunkCount * static_cast<std::uint32_t>(ChunkRecord::kSize));
  out.noise(8);
  for (std::size_t i = 0; i < chunks_.size(); ++i) {
    if (chunks_[i].tagBytes) {
      out.tagBytes(*chunks_[i].tagBytes);
    } else {
      out.word(chunks_[i].tag);
    }
    out.noise(4);
    out.word(movie.chunkDataOffsets[i]);
    out.noise(4);
  }
  for (std::uint32_t i = 0; i < movie.chunkCount; ++i) {
    out.word(i * static_cast<std::uint32_t>(ChunkRecord::kSize));
    out.noise(4);
  }
  movie.bytes = std::move(out.bytes());
  return movie;
}

std::string fixText(const std::vector<Rule>& rules) {
  std::string text;
  for (const Rule& rule : rules) {
    text += "-" + rule.tag + " " + std::to_string(static_cast<std::int32_t>(rule.number)) + " " +
            std::to_string(static_cast<std::int32_t>(rule.oldValue)) + " " +
            std::to_string(static_cast<std::int32_t>(rule.newValue)) + "\n";
  }
  return text;
}

std::vector<FixRule> toFixRules(const std::vector<Rule>& rules) {
  std::vector<FixRule> fixRules;
  for (const Rule& rule : rules) {
    FixRule fixRule{};
    std::copy_n(rule.tag.data(), 4, fixRule.tag);
    fixRule.number = rule.number;
    fixRule.oldValue = rule.oldValue;
    fixRule.newValue = rule.newValue;
    fixRule.line = static_cast<long long>(fixRules.size()) + 1;  // as fixText() lays them out
    fixRules.push_back(fixRule);
  }
  return fixRules;
}

Bytes expectedAfterFix(const BuiltMovie& movie, const std::vector<Rule>& rules,
                       std::uint64_t* fixCount) {
  Bytes bytes = movie.bytes;
  std::uint64_t count = 0;
  for (const PlacedReference& placed : movie.references) {
    if (!placed.patchable) continue;
    for (const Rule& rule : rules) {
      if (rule.tag != placed.reference.tag || rule.number != placed.reference.number) continue;
      if (rule.oldValue == placed.reference.value) {
        for (int i = 0; i < 4; ++i) {
          bytes[placed.offset + i] = static_cast<unsigned char>(rule.newValue >> (8 * i));
        }
        ++count;
      }
      break;  // only the first rule for a tag and number is consulted
    }
  }
  if (fixCount != nullptr) *fixCount = count;
  return bytes;
}

void writeFile(const std::string& path, const Bytes& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  if (!file) throw std::runtime_error("cannot write " + path);
}

Bytes readFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw std::runtime_error("cannot read " + path);
  return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

}  // namespace vantrel::moviekit
