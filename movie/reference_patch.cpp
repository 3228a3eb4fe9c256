#include "movie/reference_patch.h"

#include <algorithm>
#include <cstring>

#include "movie/le_word.h"
#include "movie/word_write.h"

namespace vantrel {
namespace {

void report(PatchContext& context, std::uint64_t referenceOffset, const char* tag,
            std::uint32_t number, std::uint32_t value, const FixRule* rule) {
  ReadReference reference{};
  reference.valueOffset = referenceOffset + ReferenceBlock::kValueAt;
  reference.chunk = context.chunk;
  reference.chunkTag = context.chunkTag;
  reference.element = context.element;
  std::copy_n(tag, 4, reference.tag);
  reference.number = number;
  reference.value = value;
  reference.rule = rule;
  context.sink.referenceRead(reference);
}

// The match found: the rule's new value is written over the value word just
// read and counted. Kept apart from the reading, which every reference goes
// through, so that the common case of no fix stays small.
void fixReference(PatchContext& context, std::uint64_t referenceOffset, const char* tag,
                  std::uint32_t number, const FixRule& rule) {
  FixedReference fix{};
  std::copy_n(tag, 4, fix.tag);
  fix.valueOffset = referenceOffset + ReferenceBlock::kValueAt;
  fix.number = number;
  fix.oldValue = rule.oldValue;
  fix.newValue = rule.newValue;
  fix.line = rule.line;
  if (!context.dryRun) {
    if (!mayWrite(context, fix)) return;
    std::uint32_t held = 0;
    if (writeWordWhereHeld(context.file, fix, held) != WordWrite::Written) {
      ++context.failedWrites;
      context.sink.writeFailed(fix.valueOffset);
      return;
    }
  }
  ++context.fixCount;
  context.sink.referenceFixed(fix);
}

}  // namespace

void patchReference(PatchContext& context, std::uint64_t referenceOffset) {
  MovieStream& file = context.file;
  // The whole block in one read from the windows, which every reference
  // of a movie goes through; the four bytes after the value are not looked at.
  unsigned char block[ReferenceBlock::kSize];
  if (!file.readAt(referenceOffset, block, sizeof block)) return;
  const std::uint32_t value = readLe32(block + ReferenceBlock::kValueAt);
  char tag[4];
  std::memcpy(tag, block + ReferenceBlock::kTagAt, sizeof tag);
  const std::uint32_t number = readLe32(block + ReferenceBlock::kNumberAt);

  if (context.reportReferences) {
    const FixRule* rule = context.recentRules.find(context.rules, tag, number);
    report(context, referenceOffset, tag, number, value, rule);
  }
  // Only the first rule for this tag and number counts, even when its old
  // value is not the one held here.
  if (const FixRule* rule = context.recentRules.ruleFixing(context.rules, tag, number, value)) {
    fixReference(context, referenceOffset, tag, number, *rule);
  }
}

void patchSingleReferenceChunk(PatchContext& context, std::uint32_t dataOffset,
                               std::uint32_t referenceOffset) {
  patchReference(context, std::uint64_t{dataOffset} + referenceOffset);
}

}  // namespace vantrel
