#include "cli/commands/check_rules.h"

#include "cli/files/file_names.h"
#include "cli/reports/cli_messages.h"
#include "cli/reports/json_writer.h"
#include "cli/reports/rule_problem_report.h"
#include "fixrules/fix_loader.h"
#include "fixrules/rule_check.h"
#include "fixrules/rule_messages.h"

namespace vantrel::cli {

int runCheckRules(const CliOptions& options, const CliEnvironment& environment) {
  const RuleSearch search = findRules(options, environment);
  if (!search.load.opened) {
    environment.err << noRulesMessage(environment.programName, search);
    return kExitNoRules;
  }
  const FixLoad& load = search.load;
  const std::string& rulesPath = search.path;
  const std::vector<RuleProblem> problems = findRuleProblems(load);
  for (const RuleProblem& problem : problems) {
    environment.out << (options.json ? ruleProblemJson(rulesPath, problem, load.table)
                                     : ruleProblemLine(rulesPath, problem, load.table))
                    << '\n';
  }
  if (options.json) {
    environment.out << JsonObject()
                           .string("type", "summary")
                           .integer("rules", static_cast<std::int64_t>(load.table.size()))
                           .integer("problems", static_cast<std::int64_t>(problems.size()))
                           .text()
                    << '\n';
  } else {
    environment.out << printablePath(rulesPath) << ": "
                    << counted(load.table.size(), "rule", "rules") << ", "
                    << counted(problems.size(), "problem", "problems") << '\n';
  }
  environment.out.flush();
  return problems.empty() ? kExitDone : kExitRuleProblems;
}

int runShowRulesPath(const CliOptions& options, const CliEnvironment& environment) {
  const RuleSearch search = findRules(options, environment);
  if (!search.load.opened) {
    environment.err << noRulesMessage(environment.programName, search);
    return kExitNoRules;
  }
  environment.out << search.path << '\n';
  return kExitDone;
}

}  // namespace vantrel::cli
