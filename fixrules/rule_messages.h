#ifndef VANTREL_FIXRULES_RULE_MESSAGES_H_
#define VANTREL_FIXRULES_RULE_MESSAGES_H_

#include <string>

namespace vantrel {

inline constexpr char kRuleFileName[] = "fix.dat";
inline constexpr char kCannotOpenRulesText[] = "Cannot open fix data file";

// The warning for a rule file that stops being readable at `line`.
inline std::string badRuleText(long long line) {
  return "Bad rule in fix.dat at line " + std::to_string(line) +
         ". The rules from that line on are not used.";
}

}  // namespace vantrel

#endif  // VANTREL_FIXRULES_RULE_MESSAGES_H_
