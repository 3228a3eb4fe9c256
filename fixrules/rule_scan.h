#ifndef VANTREL_FIXRULES_RULE_SCAN_H_
#define VANTREL_FIXRULES_RULE_SCAN_H_

#include <optional>

#include "fixrules/fix_table.h"
#include "fixrules/rule_text.h"

namespace vantrel {

// Which stretch of the rule file a text holds, when the file is read in
// two parts that meet just after a line end.
enum class TextPart {
  Whole,
  First,  // from the start to the meeting point
  Later,  // from the meeting point to the end
};

struct ScanResult {
  // The line, counted from the start of the part, where the first record
  // that does not have the record shape begins.
  std::optional<long> badLine;
  long lineEnds = 0;       // line ends scanned before the scan stopped
  bool straddles = false;  // First: a record runs on past the meeting point
};

// Scans records from `text` into `rules` until the text ends or a record
// does not have the shape "-TTTT number old new", read as scanf reads the
// format "-%c%c%c%c %d %d %d\n": the four tag characters are taken as they
// stand, every number may be preceded by any run of white space, empty or
// not, and white space after a record belongs to it. The first record must
// start at the first byte, except in a Later part, whose leading white
// space belongs to the last record of the First part.
ScanResult scanRules(RuleText& text, FixTableBuilder& rules, TextPart part);

}  // namespace vantrel

#endif  // VANTREL_FIXRULES_RULE_SCAN_H_
