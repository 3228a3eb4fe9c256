#ifndef VANTREL_CLI_COMMANDS_SUGGEST_RULES_H_
#define VANTREL_CLI_COMMANDS_SUGGEST_RULES_H_

#include "cli/commands/cli_run.h"
#include "cli/options/cli_options.h"

namespace vantrel::cli {

// --suggest-rules: reads every movie of the run, writes none, and writes
// the rules the archive agrees on to standard output, as fix.dat records
// (or JSON Lines), with their evidence and the problems on standard error.
// Returns the exit code.
int runSuggestRules(const CliOptions& options, const CliEnvironment& environment);

}  // namespace vantrel::cli

#endif  // VANTREL_CLI_COMMANDS_SUGGEST_RULES_H_
