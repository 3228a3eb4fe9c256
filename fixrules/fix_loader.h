#ifndef VANTREL_FIXRULES_FIX_LOADER_H_
#define VANTREL_FIXRULES_FIX_LOADER_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fixrules/fix_table.h"
#include "fixrules/rule_scan.h"

namespace vantrel {

// What loading fix.dat gave. When the file could not be opened (or read),
// `opened` is false and the table is empty. Otherwise the table holds every
// record before the first one that is not of the form "-TTTT number old new";
// that record's first line (1-based) is in `badLine`, which is empty when
// every record read, and what is wrong with it in `badRecord`.
struct FixLoad {
  bool opened = false;
  int openError = 0;  // when not opened: the errno value that says why, from the C library
  FixTable table;
  std::optional<long long> badLine;
  BadRecord badRecord = BadRecord::NoDash;
  std::vector<WrappedNumber> wrapped;  // numbers of the table's rules that wrapped, in file order
  std::optional<long long> ctrlZLine;  // the line of the Ctrl-Z that ended the file, if one did
};

// Reads the rule file at `path`. The file is taken as text: a CR LF pair is
// one line end and the first Ctrl-Z byte ends it.
FixLoad loadFixTable(const std::string& path);

// Parses the bytes of a rule file exactly as loadFixTable reads them.
FixLoad parseFixText(std::string_view fileBytes);

}  // namespace vantrel

#endif  // VANTREL_FIXRULES_FIX_LOADER_H_
