#ifndef VANTREL_CLI_REPORTS_DERIVE_RECORDS_H_
#define VANTREL_CLI_REPORTS_DERIVE_RECORDS_H_

#include <string>

#include "rulemaking/rule_derivation.h"

// What --derive-rules reports, as text lines in the compilers' form and as
// JSON Lines records (each without its line end). The rules themselves are
// written as fix.dat holds them (rulemaking/rule_record.h).
namespace vantrel::cli {

// "layout", "conflict", "shadowed", "unwritable"; and "unpaired" for a
// movie beneath one folder of a -r pair only.
const char* deriveProblemKindName(DeriveProblemKind kind);
inline constexpr char kUnpairedKindName[] = "unpaired";

// "MOVIE:0xOFFSET: KIND: explanation". `partner` is the other movie of the
// pair (for a layout problem), `rulesPath` the rule file that holds an
// existing rule (for a shadowed one).
std::string deriveProblemLine(const DeriveProblem& problem, const std::string& partner,
                              const std::string& rulesPath);
std::string deriveProblemJson(const DeriveProblem& problem);

// A movie at `path` whose partner at `missing` is not there.
std::string unpairedLine(const std::string& path, const std::string& missing);
std::string unpairedJson(const std::string& path);

std::string derivedRuleJson(const DerivedRule& rule);

// "N references compared, N differ; N rules written; N problems".
std::string deriveSummaryLine(const DeriveTotals& totals);
std::string deriveSummaryJson(const DeriveTotals& totals);

// A rule file that a Ctrl-Z ends at `line`, so that rules appended to it
// would never be read: "FILE:LINE: ctrl-z: explanation", and as a
// "rule-problem" record of kind "ctrl-z".
std::string ctrlZLine(const std::string& rulesPath, long long line);
std::string ctrlZJson(const std::string& rulesPath, long long line);

// Why a directory was given where a movie was expected.
std::string deriveDirectoryText();

}  // namespace vantrel::cli

#endif  // VANTREL_CLI_REPORTS_DERIVE_RECORDS_H_
