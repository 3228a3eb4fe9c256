#ifndef VANTREL_CLI_COMMANDS_UNDO_RUN_H_
#define VANTREL_CLI_COMMANDS_UNDO_RUN_H_

#include "cli/commands/cli_run.h"
#include "cli/options/cli_options.h"

namespace vantrel::cli {

// vantrel --undo: takes back the fixes that each movie's journal holds,
// last first, and removes the journal once all of it is undone; returns
// the exit code.
int runUndo(const CliOptions& options, const CliEnvironment& environment);

}  // namespace vantrel::cli

#endif  // VANTREL_CLI_COMMANDS_UNDO_RUN_H_
