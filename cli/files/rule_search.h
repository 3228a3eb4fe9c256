#ifndef VANTREL_CLI_FILES_RULE_SEARCH_H_
#define VANTREL_CLI_FILES_RULE_SEARCH_H_

#include <string>
#include <vector>

#include "fixrules/fix_loader.h"

namespace vantrel::cli {

// A place where the rule file was looked for and could not be read.
struct FailedPlace {
  std::string path;
  int error;  // errno: why
};

struct RuleSearch {
  std::string path;                   // the file read, as given or found; empty when none was
  FixLoad load;                       // its rules; not opened when no file could be read
  std::vector<FailedPlace> failures;  // every place tried that could not be read, in order
  bool named = false;  // --rules or VANTREL_RULES named the file, so no other was tried
};

// Reads the first of `places` that exists. One that exists but cannot be read
// ends the search: the rules the user put there are never passed over for
// others found further on.
RuleSearch readFirstRuleFile(const std::vector<std::string>& places);

// The report of a search that read no file: "PROGRAM: Cannot open fix data
// file", then "  PATH: reason" for each place tried; every line ended.
std::string noRulesMessage(const std::string& programName, const RuleSearch& search);

}  // namespace vantrel::cli

#endif  // VANTREL_CLI_FILES_RULE_SEARCH_H_
