#ifndef VANTREL_RULEMAKING_RULE_RECORD_H_
#define VANTREL_RULEMAKING_RULE_RECORD_H_

#include <string>

#include "fixrules/fix_rule.h"

namespace vantrel {

// Whether fix.dat can hold a rule with these four tag bytes, as the rule
// loader reads it: a Ctrl-Z ends the file, and a CR directly before an LF
// is read as one line end, so a tag holding either reads back as another.
// Every other byte, a blank or a line feed included, is taken as it stands.
bool ruleFileCanHoldTag(const char tag[4]);

// The record of `rule` as fix.dat holds it: "-", the four tag bytes as they
// stand, a blank, the number, a blank, the old value, a blank, the new
// value and a line feed; the numbers as signed decimals.
std::string ruleRecordText(const FixRule& rule);

}  // namespace vantrel

#endif  // VANTREL_RULEMAKING_RULE_RECORD_H_
