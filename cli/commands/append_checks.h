#ifndef VANTREL_CLI_COMMANDS_APPEND_CHECKS_H_
#define VANTREL_CLI_COMMANDS_APPEND_CHECKS_H_

#include <string>

#include "cli/commands/cli_run.h"
#include "fixrules/fix_loader.h"

namespace vantrel::cli {

// Tells what would keep rules appended to the rule file `rulesPath` from
// ever being read: a record that stops the reading, or a Ctrl-Z that ends
// the file. On stderr, and with `json` as a "rule-problem" record on
// stdout. Returns whether there was such a problem.
bool tellWhatStopsAppending(const FixLoad& load, const std::string& rulesPath, bool json,
                            const CliEnvironment& environment);

// The rules that new ones are made beside, into `existing`: the file named
// with --rules, read as a repair reads it. Without --rules no rule file is
// read, nor searched for, so the new rules stand alone. False, told on
// stderr, when the named file cannot be opened.
bool readRulesToAppendTo(const CliOptions& options, const CliEnvironment& environment,
                         RuleSearch& existing);

}  // namespace vantrel::cli

#endif  // VANTREL_CLI_COMMANDS_APPEND_CHECKS_H_
