#include "tests/support/model_walk.h"

#include <algorithm>
#include <cstring>

namespace vantrel::moviekit {
namespace {

// Chunk tags as their four bytes lie in the file: the code 'GGFR' is stored
// as a little-endian word whose top byte is 'G', so the file holds R, F, G, G.
constexpr char kActrInFile[] = "RTCA";
constexpr char kTdtInFile[] = " TDT";
constexpr char kGgaeInFile[] = "EAGG";
constexpr char kGgfrInFile[] = "RFGG";
constexpr char kGgstInFile[] = "TSGG";

class Model {
 public:
  Model(const Bytes& movie, const std::vector<FixRule>& rules, bool dryRun)
      : rules_(rules), dryRun_(dryRun) {
    out_.bytes = movie;
  }

  // Watch for reads of these value words, other than reads of the same
  // words as values; `sortedStarts` are their offsets in ascending order.
  void watch(const std::vector<std::uint64_t>& sortedStarts) { watched_ = &sortedStarts; }
  bool watchedWordRead() const { return watchedWordRead_; }

  ModelWalk run() {
    // Every way to NotValid but a budget crossed during the walk lies
    // before the first chunk, so nothing is written then.
    out_.result = walk() ? WalkResult::Done : WalkResult::NotValid;
    return std::move(out_);
  }

 private:
  std::uint64_t size() const { return out_.bytes.size(); }

  // Whether the `length` bytes at `offset` lie inside the file.
  bool inFile(std::uint64_t offset, std::uint64_t length) const {
    return offset <= size() && length <= size() - offset;
  }

  // Reads `length` bytes at `offset` from the file as the walk has left it
  // so far; false, reading nothing, when they are not all there.
  bool read(std::uint64_t offset, std::uint64_t length, unsigned char* into,
            bool asValueWord = false) {
    if (!inFile(offset, length)) return false;
    std::memcpy(into, out_.bytes.data() + offset, static_cast<std::size_t>(length));
    if (watched_ != nullptr) noteWatchedWords(offset, length, asValueWord);
    return true;
  }

  void noteWatchedWords(std::uint64_t offset, std::uint64_t length, bool asValueWord) {
    // Words [start, start + 4) that overlap [offset, offset + length).
    auto word = std::lower_bound(watched_->begin(), watched_->end(), offset >= 3 ? offset - 3 : 0);
    for (; word != watched_->end() && *word < offset + length; ++word) {
      if (!(asValueWord && *word == offset)) watchedWordRead_ = true;
    }
  }

  bool readWord(std::uint64_t offset, std::uint32_t& word, bool asValueWord = false) {
    unsigned char b[4];
    if (!read(offset, 4, b, asValueWord)) return false;
    word = std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8 | std::uint32_t{b[2]} << 16 |
           std::uint32_t{b[3]} << 24;
    return true;
  }

  void writeWord(std::uint64_t offset, std::uint32_t word) {
    for (int i = 0; i < 4; ++i) {
      out_.bytes[offset + i] = static_cast<unsigned char>(word >> (8 * i));
    }
  }

  // The first words of a Group's location table: the elements' offsets into
  // its data area. False when the table does not lie whole in the file.
  bool elementOffsets(std::uint64_t groupStart, std::uint32_t count, std::uint32_t dataSize,
                      std::vector<std::uint32_t>& offsets) {
    const std::uint64_t tableStart = groupStart + 20 + dataSize;
    if (!inFile(tableStart, std::uint64_t{count} * 8)) return false;
    offsets.clear();
    for (std::uint32_t i = 0; i < count; ++i) {
      std::uint32_t offset = 0;
      std::uint32_t unused = 0;
      readWord(tableStart + 8 * std::uint64_t{i}, offset);
      readWord(tableStart + 8 * std::uint64_t{i} + 4, unused);
      offsets.push_back(offset);
    }
    return true;
  }

  bool walk() {
    unsigned char magic[4];
    if (!read(0, 4, magic) || std::memcmp(magic, "CHN2", 4) != 0) return false;
    std::uint32_t indexOffset = 0;
    std::uint32_t unused = 0;
    if (!readWord(20, indexOffset) || !readWord(24, unused)) return false;
    std::uint32_t count = 0;
    std::uint32_t dataSize = 0;
    if (!readWord(std::uint64_t{indexOffset} + 4, count) ||
        !readWord(std::uint64_t{indexOffset} + 8, dataSize)) {
      return false;
    }
    std::vector<std::uint32_t> chunkOffsets;
    if (count > 0 && !elementOffsets(indexOffset, count, dataSize, chunkOffsets)) return false;

    std::uint64_t planned = 0;
    for (const std::uint32_t chunkOffset : chunkOffsets) {
      planned += groupElementCount(std::uint64_t{indexOffset} + 20 + chunkOffset);
    }
    if (planned > budget()) {
      out_.overBudget = OverBudget::Refused;
      return false;
    }

    out_.begun = true;
    out_.chunkTotal = count;
    for (std::uint32_t chunk = 0; chunk < chunkOffsets.size(); ++chunk) {
      where_ = ModelReference{};
      where_.chunk = chunk;
      visitChunk(std::uint64_t{indexOffset} + 20 + chunkOffsets[chunk]);
      if (visits_ > budget()) {
        out_.overBudget = OverBudget::Stopped;
        return false;
      }
      ++out_.steps;
    }
    return true;
  }

  // Element visits allowed: half the file's size.
  std::uint64_t budget() const { return size() / 2; }

  bool isGroupTag(const unsigned char* tag) const {
    return std::memcmp(tag, kGgaeInFile, 4) == 0 || std::memcmp(tag, kGgfrInFile, 4) == 0 ||
           std::memcmp(tag, kGgstInFile, 4) == 0;
  }

  // How many elements the group chunk whose record lies at `recordAt` has
  // for the walk: its count, when the record, the count and the data size
  // can be read and the whole location table lies in the file; else none.
  std::uint64_t groupElementCount(std::uint64_t recordAt) {
    unsigned char record[16];
    if (!read(recordAt, 16, record) || !isGroupTag(record)) return 0;
    const std::uint64_t dataOffset = std::uint32_t{record[8]} | std::uint32_t{record[9]} << 8 |
                                     std::uint32_t{record[10]} << 16 |
                                     std::uint32_t{record[11]} << 24;
    std::uint32_t count = 0;
    std::uint32_t dataSize = 0;
    if (!readWord(dataOffset + 4, count) || count == 0 || !readWord(dataOffset + 8, dataSize)) {
      return 0;
    }
    return inFile(dataOffset + 20 + dataSize, std::uint64_t{count} * 8) ? count : 0;
  }

  void visitChunk(std::uint64_t recordAt) {
    unsigned char record[16];
    if (!read(recordAt, 16, record)) return;
    const std::uint32_t dataOffset = std::uint32_t{record[8]} | std::uint32_t{record[9]} << 8 |
                                     std::uint32_t{record[10]} << 16 |
                                     std::uint32_t{record[11]} << 24;
    const auto tagIs = [&record](const char* inFile) {
      return std::memcmp(record, inFile, 4) == 0;
    };
    std::reverse_copy(record, record + 4, where_.chunkTag.begin());
    if (tagIs(kActrInFile)) {
      reference(std::uint64_t{dataOffset} + 28);
    } else if (tagIs(kTdtInFile)) {
      reference(std::uint64_t{dataOffset} + 8);
    } else if (tagIs(kGgaeInFile)) {
      groupChunk(dataOffset, true);
    } else if (tagIs(kGgfrInFile) || tagIs(kGgstInFile)) {
      groupChunk(dataOffset, false);
    }
  }

  void groupChunk(std::uint64_t dataOffset, bool ggae) {
    std::uint32_t count = 0;
    if (!readWord(dataOffset + 4, count) || count == 0) return;
    std::uint32_t dataSize = 0;
    if (!readWord(dataOffset + 8, dataSize)) return;
    std::vector<std::uint32_t> offsets;
    if (!elementOffsets(dataOffset, count, dataSize, offsets)) return;
    visits_ += count;
    if (visits_ > budget()) return;  // the walk stops before this chunk's elements
    for (std::uint32_t i = 0; i < offsets.size(); ++i) {
      where_.element = i;
      const std::uint64_t element = dataOffset + 20 + offsets[i];
      std::uint32_t kind = 0;
      if (!readWord(element + (ggae ? 0 : 4), kind)) continue;
      if (ggae && kind == 2) reference(element + 32);
      if (ggae && kind == 6) reference(element + 48);
      if (!ggae && kind == 1) reference(element + 28);
      if (!ggae && kind == 4) reference(element + 8);
    }
  }

  void reference(std::uint64_t at) {
    unsigned char tag[4];
    std::uint32_t number = 0;
    std::uint32_t value = 0;
    if (!read(at + 8, 4, tag) || !readWord(at + 12, number) || !readWord(at, value, true)) {
      return;
    }
    ModelReference read = where_;
    read.valueOffset = at;
    std::copy_n(tag, 4, read.tag.begin());
    read.number = number;
    read.value = value;
    for (std::size_t i = 0; i < rules_.size() && !read.rule; ++i) {
      if (std::memcmp(rules_[i].tag, tag, 4) == 0 && rules_[i].number == number) read.rule = i;
    }
    out_.references.push_back(read);

    for (const FixRule& rule : rules_) {
      if (std::memcmp(rule.tag, tag, 4) != 0 || rule.number != number) continue;
      if (rule.oldValue == value) {
        if (!dryRun_) writeWord(at, rule.newValue);
        ModelFix fix;
        fix.valueOffset = at;
        std::copy_n(tag, 4, fix.tag.begin());
        fix.number = number;
        fix.oldValue = value;
        fix.newValue = rule.newValue;
        out_.fixes.push_back(fix);
        ++out_.fixCount;
      }
      return;  // only the first rule for a tag and number is consulted
    }
  }

  const std::vector<FixRule>& rules_;
  bool dryRun_;
  ModelWalk out_;
  ModelReference where_;      // the chunk and element being visited
  std::uint64_t visits_ = 0;  // element visits in group chunks so far
  const std::vector<std::uint64_t>* watched_ = nullptr;
  bool watchedWordRead_ = false;
};

}  // namespace

ModelWalk modelWalk(const Bytes& movie, const std::vector<FixRule>& rules, bool dryRun) {
  return Model(movie, rules, dryRun).run();
}

bool patchesTouchNothingElseRead(const Bytes& movie, const std::vector<FixRule>& rules,
                                 const ModelWalk& walk) {
  // The same walk again, now knowing which words it writes.
  std::vector<std::uint64_t> written;
  for (const ModelFix& fix : walk.fixes) written.push_back(fix.valueOffset);
  std::sort(written.begin(), written.end());
  written.erase(std::unique(written.begin(), written.end()), written.end());
  Model model(movie, rules, false);
  model.watch(written);
  model.run();
  return !model.watchedWordRead();
}

}  // namespace vantrel::moviekit
