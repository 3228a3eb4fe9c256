#include "movie/reference_patch.h"

#include <algorithm>

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

}  // namespace

void patchReference(PatchContext& context, std::uint64_t referenceOffset) {
  MovieStream& file = context.file;
  // The tag and the number after it, in one read.
  unsigned char tagAndNumber[8];
  std::uint32_t value = 0;
  if (!file.seek(referenceOffset + ReferenceBlock::kTagAt) ||
      !file.readBytes(tagAndNumber, sizeof tagAndNumber) ||
      !file.seek(referenceOffset + ReferenceBlock::kValueAt) || !file.readWord(value)) {
    return;
  }
  const char* tag = reinterpret_cast<const char*>(tagAndNumber);
  const std::uint32_t number = readLe32(tagAndNumber + 4);

  const FixRule* rule = context.recentRules.find(context.rules, tag, number);
  if (context.reportReferences) report(context, referenceOffset, tag, number, value, rule);
  if (rule == nullptr) return;
  // Only the first rule for this tag and number counts, even when its old
  // value is not the one held here.
  if (value != rule->oldValue) return;

  FixedReference fix{};
  std::copy_n(tag, 4, fix.tag);
  fix.valueOffset = referenceOffset + ReferenceBlock::kValueAt;
  fix.number = number;
  fix.oldValue = value;
  fix.newValue = rule->newValue;
  fix.line = rule->line;
  if (!context.dryRun) {
    if (!mayWrite(context, fix)) return;
    std::uint32_t held = 0;
    if (writeWordWhereHeld(file, fix, held) != WordWrite::Written) {
      ++context.failedWrites;
      context.sink.writeFailed(fix.valueOffset);
      return;
    }
  }
  ++context.fixCount;
  context.sink.referenceFixed(fix);
}

void patchSingleReferenceChunk(PatchContext& context, std::uint32_t dataOffset,
                               std::uint32_t referenceOffset) {
  patchReference(context, std::uint64_t{dataOffset} + referenceOffset);
}

}  // namespace vantrel
