#ifndef VANTREL_CLI_COMMANDS_CHECK_RULES_H_
#define VANTREL_CLI_COMMANDS_CHECK_RULES_H_

#include "cli/commands/cli_run.h"
#include "cli/options/cli_options.h"

namespace vantrel::cli {

// --check-rules: reads the rule file, touches no movie, and reports each
// problem of it on `out`, as text or (with --json) as JSON Lines, then a
// summary; returns the exit code.
int runCheckRules(const CliOptions& options, const CliEnvironment& environment);

// --show-rules-path: prints the path of the rule file a run would read, or
// says where it looked; returns the exit code.
int runShowRulesPath(const CliOptions& options, const CliEnvironment& environment);

}  // namespace vantrel::cli

#endif  // VANTREL_CLI_COMMANDS_CHECK_RULES_H_
