// The straightforward walk, for the benchmark to measure vantrel against:
// the movie's chunks visited as the container describes them, each word
// read with a seek and a read of its own through a buffered stdio stream,
// each fix written with a seek back over its value word. No window, no
// memo of rules; offsets are checked only so far as to stay inside the
// file. Repairs MOVIE in place (or, with --dry-run, only counts) with the
// rules of RULES, and prints what it visited on one line:
//   vantrel-plainwalk [--dry-run] RULES MOVIE
//   -> "chunks 354178 elements 666656 references 1000000 fixes 1031"
// Exit code 0, or 2 when the rules or the movie cannot be opened.

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "fixrules/fix_loader.h"

namespace {

struct Counts {
  std::uint64_t chunks = 0;
  std::uint64_t elements = 0;
  std::uint64_t references = 0;
  std::uint64_t fixes = 0;
};

class PlainWalk {
 public:
  PlainWalk(std::FILE* file, std::uint64_t size, const vantrel::FixTable& rules, bool dryRun)
      : file_(file), size_(size), rules_(rules), dryRun_(dryRun) {}

  Counts walk() {
    unsigned char magic[4];
    std::uint32_t indexOffset = 0;
    std::uint32_t unused = 0;
    if (!seek(0) || std::fread(magic, 1, 4, file_) != 4 || std::memcmp(magic, "CHN2", 4) != 0 ||
        !seek(20) || !word(indexOffset) || !word(unused)) {
      return counts_;
    }
    std::vector<std::uint32_t> chunks;
    if (!locationTable(indexOffset, chunks)) return counts_;
    for (const std::uint32_t chunk : chunks) visitChunk(std::uint64_t{indexOffset} + 20 + chunk);
    return counts_;
  }

 private:
  bool seek(std::uint64_t offset) {
    return offset <= size_ && fseeko(file_, static_cast<off_t>(offset), SEEK_SET) == 0;
  }
  bool word(std::uint32_t& value) {
    unsigned char bytes[4];
    if (std::fread(bytes, 1, 4, file_) != 4) return false;
    value = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | std::uint32_t{bytes[3]} << 24;
    return true;
  }

  // The element offsets of the Group at `start`, each entry's two words read
  // one by one; false when the table does not lie in the file.
  bool locationTable(std::uint64_t start, std::vector<std::uint32_t>& offsets) {
    std::uint32_t count = 0;
    std::uint32_t dataSize = 0;
    if (!seek(start + 4) || !word(count) || !word(dataSize)) return false;
    const std::uint64_t table = start + 20 + dataSize;
    if (table > size_ || count > (size_ - table) / 8 || !seek(table)) return false;
    offsets.resize(count);
    std::uint32_t unused = 0;
    for (std::uint32_t& offset : offsets) {
      if (!word(offset) || !word(unused)) return false;
    }
    return true;
  }

  void visitChunk(std::uint64_t record) {
    ++counts_.chunks;
    std::uint32_t tag = 0;
    std::uint32_t unused = 0;
    std::uint32_t data = 0;
    unsigned char rest[4];
    if (!seek(record) || !word(tag) || !word(unused) || !word(data) ||
        std::fread(rest, 1, 1, file_) != 1 || std::fread(rest + 1, 1, 3, file_) != 3) {
      return;
    }
    if (tag == 0x47474652 || tag == 0x47475354) visitGroup(data, 4, false);  // 'GGFR', 'GGST'
    if (tag == 0x47474145) visitGroup(data, 0, true);                        // 'GGAE'
    if (tag == 0x41435452) patchReference(std::uint64_t{data} + 28);         // 'ACTR'
    if (tag == 0x54445420) patchReference(std::uint64_t{data} + 8);          // 'TDT '
  }

  void visitGroup(std::uint32_t data, std::uint32_t kindAt, bool ggae) {
    std::uint32_t count = 0;
    std::vector<std::uint32_t> elements;
    if (!seek(std::uint64_t{data} + 4) || !word(count) || count == 0 ||
        !locationTable(data, elements)) {
      return;
    }
    for (const std::uint32_t element : elements) {
      ++counts_.elements;
      const std::uint64_t at = std::uint64_t{data} + 20 + element;
      std::uint32_t kind = 0;
      if (!seek(at + kindAt) || !word(kind)) continue;
      if (ggae && (kind == 2 || kind == 6)) patchReference(at + (kind == 2 ? 32 : 48));
      if (!ggae && (kind == 1 || kind == 4)) patchReference(at + (kind == 1 ? 28 : 8));
    }
  }

  void patchReference(std::uint64_t at) {
    char tag[4];
    std::uint32_t number = 0;
    std::uint32_t value = 0;
    if (!seek(at + 8) || std::fread(tag, 1, 4, file_) != 4 || !word(number) || !seek(at) ||
        !word(value)) {
      return;
    }
    ++counts_.references;
    const auto rule = vantrel::findRule(rules_, tag, number);
    if (!rule || rules_.rule(*rule).oldValue != value) return;
    if (!dryRun_) {
      const std::uint32_t newValue = rules_.rule(*rule).newValue;
      const unsigned char bytes[4] = {
          static_cast<unsigned char>(newValue), static_cast<unsigned char>(newValue >> 8),
          static_cast<unsigned char>(newValue >> 16), static_cast<unsigned char>(newValue >> 24)};
      if (fseeko(file_, -4, SEEK_CUR) != 0 || std::fwrite(bytes, 1, 4, file_) != 4) return;
    }
    ++counts_.fixes;
  }

  std::FILE* file_;
  std::uint64_t size_;
  const vantrel::FixTable& rules_;
  bool dryRun_;
  Counts counts_;
};

}  // namespace

int main(int argc, char** argv) {
  const bool dryRun = argc == 4 && std::string(argv[1]) == "--dry-run";
  if (argc != (dryRun ? 4 : 3)) {
    std::fprintf(stderr, "usage: vantrel-plainwalk [--dry-run] RULES MOVIE\n");
    return 2;
  }
  const vantrel::FixLoad rules = vantrel::loadFixTable(argv[argc - 2]);
  std::FILE* file = std::fopen(argv[argc - 1], dryRun ? "rb" : "r+b");
  if (!rules.opened || file == nullptr || fseeko(file, 0, SEEK_END) != 0) {
    std::fprintf(stderr, "vantrel-plainwalk: cannot open %s\n", argv[file ? argc - 2 : argc - 1]);
    return 2;
  }
  const auto size = static_cast<std::uint64_t>(ftello(file));
  const Counts counts = PlainWalk(file, size, rules.table, dryRun).walk();
  if (std::fclose(file) != 0) {
    std::fprintf(stderr, "vantrel-plainwalk: the movie could not be written\n");
    return 2;
  }
  std::printf("chunks %llu elements %llu references %llu fixes %llu\n",
              static_cast<unsigned long long>(counts.chunks),
              static_cast<unsigned long long>(counts.elements),
              static_cast<unsigned long long>(counts.references),
              static_cast<unsigned long long>(counts.fixes));
  return 0;
}
