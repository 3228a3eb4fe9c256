#ifndef VANTREL_FIXRULES_FIX_RULE_H_
#define VANTREL_FIXRULES_FIX_RULE_H_

#include <cstdint>

namespace vantrel {

// One record of fix.dat: a reference with this tag and number whose value
// is `oldValue` gets `newValue` instead. The numbers are kept as the raw
// 32-bit words they are compared with and written as, so "-1" in the rule
// file is 0xFFFFFFFF here.
struct FixRule {
  char tag[4];  // the four characters after the leading '-', verbatim
  std::uint32_t number;
  std::uint32_t oldValue;
  std::uint32_t newValue;
  long long line;  // 1-based line of the record's '-', CR LF counted as one line end
};

}  // namespace vantrel

#endif  // VANTREL_FIXRULES_FIX_RULE_H_
