#include "movie/word_write.h"

#include <cstring>

#include "movie/le_word.h"
#include "movie/reference_patch.h"

namespace vantrel {

WordWrite writeWordWhereHeld(MovieStream& file, const FixedReference& fix, std::uint32_t& held,
                             bool write) {
  held = 0;
  if (fix.valueOffset < ReferenceBlock::kValueAt) return WordWrite::PastTheEnd;
  const std::uint64_t reference = fix.valueOffset - ReferenceBlock::kValueAt;
  unsigned char tagAndNumber[8];
  std::uint32_t value = 0;
  if (!file.seek(reference + ReferenceBlock::kTagAt) ||
      !file.readBytes(tagAndNumber, sizeof tagAndNumber) || !file.seek(fix.valueOffset) ||
      !file.readWord(value)) {
    return WordWrite::PastTheEnd;
  }
  held = value;
  if (value != fix.oldValue) return WordWrite::OtherValue;
  // Byte for byte: a tag byte of 0x80 or more is no different from any other.
  if (std::memcmp(tagAndNumber, fix.tag, 4) != 0 || readLe32(tagAndNumber + 4) != fix.number) {
    return WordWrite::OtherReference;
  }
  if (!write) return WordWrite::Written;
  return file.seek(fix.valueOffset) && file.writeWord(fix.newValue) ? WordWrite::Written
                                                                    : WordWrite::WriteFailed;
}

FixedReference reversed(const FixedReference& fix) {
  FixedReference back = fix;
  back.oldValue = fix.newValue;
  back.newValue = fix.oldValue;
  return back;
}

}  // namespace vantrel
