#include "movie/fix_undo.h"

#include <algorithm>

#include "movie/reference_patch.h"

namespace vantrel {

UndoStep undoFix(MovieStream& file, const FixedReference& fix, bool dryRun, std::uint32_t& held) {
  held = 0;
  const std::uint64_t reference = fix.valueOffset - ReferenceBlock::kValueAt;
  unsigned char tagAndNumber[8];
  if (!file.seek(reference + ReferenceBlock::kTagAt) ||
      !file.readBytes(tagAndNumber, sizeof tagAndNumber) || !file.seek(fix.valueOffset) ||
      !file.readWord(held)) {
    return UndoStep::PastTheEnd;
  }
  const bool sameReference =
      std::equal(fix.tag, fix.tag + 4, tagAndNumber) && readLe32(tagAndNumber + 4) == fix.number;
  if (held == fix.newValue && sameReference) {
    if (dryRun) return UndoStep::Restored;
    return file.seek(fix.valueOffset) && file.writeWord(fix.oldValue) ? UndoStep::Restored
                                                                      : UndoStep::WriteFailed;
  }
  if (held == fix.oldValue) return UndoStep::AlreadyOld;
  return held == fix.newValue ? UndoStep::OtherReference : UndoStep::Changed;
}

}  // namespace vantrel
