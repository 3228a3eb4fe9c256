#ifndef VANTREL_TESTS_SUPPORT_MOVIE_BUILDER_H_
#define VANTREL_TESTS_SUPPORT_MOVIE_BUILDER_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fixrules/fix_rule.h"
#include "movie/container_layout.h"

namespace vantrel::moviekit {

using Bytes = std::vector<unsigned char>;

// An expansion reference as it will lie in the file.
struct Reference {
  std::uint32_t value = 0;
  std::string tag = "XXXX";  // exactly four bytes, in file order
  std::uint32_t number = 0;
  std::uint32_t spare = 0x5AA5C33Cu;  // the four bytes after the value, never touched
};

// One element of a group chunk. `reference` is placed where an element of
// this kind carries it; `decoyAt` instead places it at that offset from the
// element's start, as a lookalike that the walk must not patch.
struct Element {
  std::uint32_t kind = 0;
  std::optional<Reference> reference;
  std::optional<std::uint32_t> decoyAt;
};

// A reference placed in the built file. `patchable` tells whether the walk
// reaches it (false for decoys).
struct PlacedReference {
  std::uint64_t offset = 0;  // absolute offset of the value word
  Reference reference;
  bool patchable = true;
};

struct BuiltMovie {
  Bytes bytes;
  std::vector<PlacedReference> references;  // in the order the walk meets them
  std::uint32_t indexOffset = 0;
  std::uint32_t chunkCount = 0;
  std::vector<std::uint32_t> chunkDataOffsets;  // one per chunk, in index order
};

// Lays out a movie from the container layout: the header, each chunk's data
// in the order added, then the chunk index. Bytes the walk does not read
// are filled from a seeded generator, so a stray write shows.
class MovieBuilder {
 public:
  explicit MovieBuilder(std::uint32_t seed = 1) : seed_(seed) {}

  MovieBuilder& addActr(const Reference& reference);
  MovieBuilder& addTdt(const Reference& reference);
  MovieBuilder& addGroupChunk(ChunkTag tag, std::vector<Element> elements);
  // A chunk of a kind the walk does not know, with `dataSize` bytes of data.
  MovieBuilder& addOtherChunk(ChunkTag tag, std::uint32_t dataSize);
  // A chunk whose tag lies in the file as these four bytes, in file order.
  MovieBuilder& addChunkWithTagBytes(const std::string& tagBytes, const Reference& reference);

  BuiltMovie build() const;

 private:
  struct Chunk {
    ChunkTag tag = 0;
    std::optional<std::string> tagBytes;
    std::optional<Reference> reference;  // single-reference chunks
    std::vector<Element> elements;       // group chunks
    std::uint32_t otherSize = 0;
  };
  std::uint32_t seed_;
  std::vector<Chunk> chunks_;
};

// Offset of a kind's reference within an element, as the builder places it;
// empty for kinds without one.
std::optional<std::uint32_t> elementReferenceAt(ChunkTag chunkTag, std::uint32_t kind);

// A rule as a test states it; fixText() writes rules as fix.dat holds them.
struct Rule {
  std::string tag;  // exactly four bytes
  std::uint32_t number = 0;
  std::uint32_t oldValue = 0;
  std::uint32_t newValue = 0;
};

// One record a line, numbers as signed decimals.
std::string fixText(const std::vector<Rule>& rules);

// The same rules as the rule table holds them, each with its line in fixText().
std::vector<FixRule> toFixRules(const std::vector<Rule>& rules);

// The movie as a correct repair leaves it: each patchable reference whose
// first rule (by tag and number) has its value as the old value takes the
// new value. `fixCount` receives the number of such references.
Bytes expectedAfterFix(const BuiltMovie& movie, const std::vector<Rule>& rules,
                       std::uint64_t* fixCount = nullptr);

void writeFile(const std::string& path, const Bytes& bytes);
Bytes readFile(const std::string& path);

}  // namespace vantrel::moviekit

#endif  // VANTREL_TESTS_SUPPORT_MOVIE_BUILDER_H_
