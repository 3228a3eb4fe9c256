#include "cli/commands/append_checks.h"

#include "cli/files/rule_search.h"
#include "cli/reports/derive_records.h"
#include "cli/reports/rule_problem_report.h"
#include "fixrules/rule_check.h"

namespace vantrel::cli {

bool tellWhatStopsAppending(const FixLoad& load, const std::string& rulesPath, bool json,
                            const CliEnvironment& environment) {
  if (const auto malformed = malformedProblem(load)) {
    environment.err << environment.programName << ": "
                    << ruleProblemLine(rulesPath, *malformed, load.table) << '\n';
    if (json) environment.out << ruleProblemJson(rulesPath, *malformed, load.table) << '\n';
    return true;
  }
  if (load.ctrlZLine) {
    environment.err << environment.programName << ": " << ctrlZLine(rulesPath, *load.ctrlZLine)
                    << '\n';
    if (json) environment.out << ctrlZJson(rulesPath, *load.ctrlZLine) << '\n';
    return true;
  }
  return false;
}

bool readRulesToAppendTo(const CliOptions& options, const CliEnvironment& environment,
                         RuleSearch& existing) {
  existing = RuleSearch{};
  existing.load.opened = true;
  if (!options.rulesPath) return true;
  existing = findRules(options, environment);
  if (existing.load.opened) return true;
  environment.err << noRulesMessage(environment.programName, existing);
  return false;
}

}  // namespace vantrel::cli
