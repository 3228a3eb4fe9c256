#include "rulemaking/rule_record.h"

#include <cstdint>

namespace vantrel {
namespace {

std::string signedDecimal(std::uint32_t word) {
  return std::to_string(word < 0x80000000u ? std::int64_t{word}
                                           : std::int64_t{word} - 0x100000000LL);
}

}  // namespace

bool ruleFileCanHoldTag(const char tag[4]) {
  for (int i = 0; i < 4; ++i) {
    if (tag[i] == '\x1a') return false;
    if (i < 3 && tag[i] == '\r' && tag[i + 1] == '\n') return false;
  }
  // The blank written after the tag keeps a CR in its last byte apart from
  // any line end, and the '-' before it does the same for its first.
  return true;
}

std::string ruleRecordText(const FixRule& rule) {
  std::string text = "-";
  text.append(rule.tag, 4);
  text += ' ' + signedDecimal(rule.number) + ' ' + signedDecimal(rule.oldValue) + ' ' +
          signedDecimal(rule.newValue) + '\n';
  return text;
}

}  // namespace vantrel
