#ifndef VANTREL_CLI_COMMANDS_CLI_RUN_H_
#define VANTREL_CLI_COMMANDS_CLI_RUN_H_

#include <istream>
#include <ostream>
#include <string>

#include "cli/options/cli_options.h"
#include "cli/files/rule_places.h"
#include "cli/files/rule_search.h"
#include "movie/walk_result.h"

namespace vantrel::cli {

enum ExitCode {
  kExitDone = 0,          // every movie ended Done; with --check-rules, no problem found
  kExitNoRules = 1,       // the rule file cannot be opened
  kExitUsage = 2,         // the command line was wrong
  kExitMovieFailed = 3,   // some movie could not be opened, was not valid or not saved, or a
                          // list or directory of movies could not be read
  kExitRuleProblems = 4,  // --check-rules found a problem in the rule file; --derive-rules one
                          // in the movies or the rules
  kExitWriteError = 5,    // standard output could not be written (every movie was still
                          // finished); 1 and 3 go before it
};

// The exit code of a run that ended with `code`, once standard output is
// known to have lost something: 5, unless the rules could not be read or a
// movie failed, which matter more to a script.
int exitCodeAfterLostOutput(int code);

int exitCodeFor(WalkResult result);

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
