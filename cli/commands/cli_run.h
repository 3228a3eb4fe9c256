#ifndef VANTREL_CLI_COMMANDS_CLI_RUN_H_
#define VANTREL_CLI_COMMANDS_CLI_RUN_H_

#include <istream>
#include <ostream>
#include <string>

#include "cli/files/rule_places.h"
#include "cli/files/rule_search.h"
#include "cli/options/cli_options.h"
#include "cli/reports/run_results.h"
#include "movie/walk_result.h"

namespace vantrel::cli {

// The exit code of a run that ended with `code`, once standard output is
// known to have lost something: 5, unless the rules could not be read or a
// movie failed, which matter more to a script.
int exitCodeAfterLostOutput(int code);

struct CliEnvironment {
  std::istream& in;  // standard input, for --files-from -
  std::ostream& out;
  std::ostream& err;
  std::string programName;       // as invoked, to begin the program's own messages
  std::string programDirectory;  // the first place fix.dat is looked for without --rules
  bool errIsTerminal = false;    // the progress bar is drawn only on a terminal
  EnvironmentLookup variable = processEnvironmentVariable;
};

// The rules of the run: the --rules file, or else the first of rulePlaces()
// that exists.
RuleSearch findRules(const CliOptions& options, const CliEnvironment& environment);

// Loads the rules once and patches each movie in turn, as the movie
// arguments and lists give them; returns the exit code.
int runCli(const CliOptions& options, const CliEnvironment& environment);

}  // namespace vantrel::cli

#endif  // VANTREL_CLI_COMMANDS_CLI_RUN_H_
