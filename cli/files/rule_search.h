#ifndef VANTREL_CLI_FILES_RULE_SEARCH_H_
#define VANTREL_CLI_FILES_RULE_SEARCH_H_

#include <string>
#include <vector>

#include "fixrules/fix_loader.h"

namespace vantrel::cli {

// A place where the rule file was looked for and not read.
struct FailedPlace {
  std::string path;
  std::string reason;  // why, in the system's words or ours: "not a regular file"
};

struct RuleSearch {
  std::string path;                   // the file read, as given or found; empty when none was
  FixLoad load;                       // its rules; not opened when no file could be read
  std::vector<FailedPlace> failures;  // every place tried that could not be read, in order
  bool named = false;  // --rules or VANTREL_RULES named the file, so no other was tried
};

// Reads the file the user named (with --rules or VANTREL_RULES), whatever
// it is: a named pipe too, as `--rules <(cat a.dat b.dat)` gives one.
RuleSearch readNamedRuleFile(const std::string& path);

// Reads the first of `places` that holds a regular file. A place that holds
// nothing, or something else (a named pipe, a device, a folder), is passed
// over without being opened, since opening a pipe waits for a writer and
// opening a device may set it going. A regular file that cannot be read
// ends the search: the rules the user put there are never passed over for
// others found further on.
RuleSearch searchRuleFiles(const std::vector<std::string>& places);

// The report of a search that read no file: "PROGRAM: Cannot open fix data
// file", then "  PATH: reason" for each place tried; every line ended.
std::string noRulesMessage(const std::string& programName, const RuleSearch& search);

}  // namespace vantrel::cli

#endif  // VANTREL_CLI_FILES_RULE_SEARCH_H_
