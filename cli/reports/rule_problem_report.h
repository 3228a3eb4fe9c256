#ifndef VANTREL_CLI_REPORTS_RULE_PROBLEM_REPORT_H_
#define VANTREL_CLI_REPORTS_RULE_PROBLEM_REPORT_H_

#include <string>

#include "fixrules/fix_table.h"
#include "fixrules/rule_check.h"

namespace vantrel::cli {

// The kind as the reports spell it: "malformed", "shadowed", "no-change",
// "odd-tag" or "wrapped".
const char* ruleProblemKindName(RuleProblemKind kind);

// What is wrong and what it means, in a sentence without a full stop.
// `rules` is the table the problem was found in.
std::string ruleProblemExplanation(const RuleProblem& problem, const FixTable& rules);

// "PATH:LINE: KIND: explanation", as compilers report, without a line end.
std::string ruleProblemLine(const std::string& rulesPath, const RuleProblem& problem,
                            const FixTable& rules);

// The problem as one JSON Lines record of type "rule-problem", without a
// line end.
std::string ruleProblemJson(const std::string& rulesPath, const RuleProblem& problem,
                            const FixTable& rules);

}  // namespace vantrel::cli

#endif  // VANTREL_CLI_REPORTS_RULE_PROBLEM_REPORT_H_
