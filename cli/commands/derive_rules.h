#ifndef VANTREL_CLI_COMMANDS_DERIVE_RULES_H_
#define VANTREL_CLI_COMMANDS_DERIVE_RULES_H_

#include "cli/commands/cli_run.h"
#include "cli/options/cli_options.h"

namespace vantrel::cli {

// --derive-rules: writes the rules that turn each damaged movie into its
// good copy to standard output, as fix.dat records (or JSON Lines), and
// the problems to standard error; writes no movie. Returns the exit code.
int runDeriveRules(const CliOptions& options, const CliEnvironment& environment);

}  // namespace vantrel::cli

#endif  // VANTREL_CLI_COMMANDS_DERIVE_RULES_H_
