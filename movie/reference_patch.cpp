#include "movie/reference_patch.h"

#include <algorithm>

namespace vantrel {

void patchReference(PatchContext& context, std::uint64_t referenceOffset) {
  MovieStream& file = context.file;
  unsigned char tag[4];
  std::uint32_t number = 0;
  std::uint32_t value = 0;
  if (!file.seek(referenceOffset + ReferenceBlock::kTagAt) || !file.readBytes(tag, 4) ||
      !file.readWord(number) || !file.seek(referenceOffset + ReferenceBlock::kValueAt) ||
      !file.readWord(value)) {
    return;
  }

  FixedReference fix{};
  std::copy_n(tag, 4, fix.tag);
  const auto ruleIndex = findRule(context.rules, fix.tag, number);
  if (!ruleIndex) return;
  // Only the first rule for this tag and number counts, even when its old
  // value is not the one held here.
  const FixRule& rule = context.rules.rule(*ruleIndex);
  if (value != rule.oldValue) return;

  fix.valueOffset = referenceOffset + ReferenceBlock::kValueAt;
  if (!context.dryRun) {
    if (!mayWrite(context)) return;
    // Back over the value word just read, and write the new one in its place.
    if (!file.seek(file.position() - 4) || !file.writeWord(rule.newValue)) {
      ++context.failedWrites;
      context.sink.writeFailed(fix.valueOffset);
      return;
    }
  }
  fix.number = number;
  fix.oldValue = value;
  fix.newValue = rule.newValue;
  ++context.fixCount;
  context.sink.referenceFixed(fix);
}

void patchSingleReferenceChunk(PatchContext& context, std::uint32_t dataOffset,
                               std::uint32_t referenceOffset) {
  patchReference(context, std::uint64_t{dataOffset} + referenceOffset);
}

}  // namespace vantrel
