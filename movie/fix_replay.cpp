#include "movie/fix_replay.h"

#include <algorithm>

#include "movie/le_word.h"
#include "movie/reference_patch.h"

namespace vantrel {
namespace {

// Whether the reference of `fix` still holds the fix's tag, number and old
// value; the position is then just past the value word.
bool stillToFix(MovieStream& file, const FixedReference& fix) {
  const std::uint64_t reference = fix.valueOffset - ReferenceBlock::kValueAt;
  unsigned char tagAndNumber[8];
  std::uint32_t value = 0;
  return file.seek(reference + ReferenceBlock::kTagAt) &&
         file.readBytes(tagAndNumber, sizeof tagAndNumber) &&
         std::equal(fix.tag, fix.tag + 4, tagAndNumber) &&
         readLe32(tagAndNumber + 4) == fix.number && file.seek(fix.valueOffset) &&
         file.readWord(value) && value == fix.oldValue;
}

}  // namespace

WalkOutcome replayFixes(MovieStream& file, FixSource& fixes, ProgressSink& sink,
                        const std::function<bool(const FixedReference&)>& beforeFixWritten) {
  std::uint64_t fixCount = 0;
  std::uint64_t failedWrites = 0;
  FixedReference fix{};
  while (fixes.next(fix)) {
    if (!stillToFix(file, fix)) continue;
    if (beforeFixWritten && !beforeFixWritten(fix)) {
      // What was written before the refusal is still put on the disk.
      file.close();
      return WalkOutcome{fixCount == 0 ? WalkResult::WriteRefused : WalkResult::WriteFailed,
                         fixCount};
    }
    if (!file.seek(fix.valueOffset) || !file.writeWord(fix.newValue)) {
      ++failedWrites;
      sink.writeFailed(fix.valueOffset);
      continue;
    }
    ++fixCount;
    sink.referenceFixed(fix);
  }
  const bool saved = file.close();
  const bool allWritten = saved && failedWrites == 0 && !fixes.failed();
  return WalkOutcome{allWritten ? WalkResult::Done : WalkResult::WriteFailed, fixCount};
}

}  // namespace vantrel
