// vantrel: repairs QELM movie files from the command line.

#include <new>
#include <string>
#include <vector>

#include "cli/commands/check_rules.h"
#include "cli/commands/cli_run.h"
#include "cli/commands/derive_rules.h"
#include "cli/commands/suggest_rules.h"
#include "cli/commands/undo_run.h"
#include "cli/files/executable_dir.h"
#include "cli/files/wildcards.h"
#include "cli/options/cli_options.h"
#include "cli/options/program_name.h"
#include "cli/options/usage_text.h"
#include "cli/platform/console_streams.h"
#include "cli/platform/directory_listing.h"
#include "vantrel_version.h"

namespace {

using namespace vantrel::cli;

int runAction(const CliOptions& options, const ConsoleStreams& console,
              const std::string& programName, const char* argv0) {
  switch (options.action) {
    case CliAction::ShowHelp:
      console.out << usageTextFor(programName);
      return kExitDone;
    case CliAction::ShowVersion:
      console.out << programName << ' ' << VANTREL_VERSION_TEXT << '\n';
      return kExitDone;
    case CliAction::UsageError:
      console.err << programName << ": " << options.usageError << "\nTry '" << programName
                  << " --help'.\n";
      return kExitUsage;
    case CliAction::Patch:
    case CliAction::CheckRules:
    case CliAction::Undo:
    case CliAction::DeriveRules:
    case CliAction::SuggestRules:
    case CliAction::ShowRulesPath:
      break;
  }
  const CliEnvironment environment{
      console.in,           console.out, console.err, programName, executableDirectory(argv0),
      console.errIsTerminal};
  if (options.action == CliAction::CheckRules) return runCheckRules(options, environment);
  if (options.action == CliAction::Undo) return runUndo(options, environment);
  if (options.action == CliAction::ShowRulesPath) return runShowRulesPath(options, environment);
  if (options.action == CliAction::DeriveRules) {
    writeStandardOutputAsBytes();  // the rules' tags may hold any byte
    return runDeriveRules(options, environment);
  }
  if (options.action == CliAction::SuggestRules) {
    writeStandardOutputAsBytes();  // the rules' tags may hold any byte
    return runSuggestRules(options, environment);
  }
  return runCli(options, environment);
}

}  // namespace

int main(int argc, char** argv) {
  const ConsoleStreams console = openConsoleStreams();
  const std::string programName = programNameFrom(argc > 0 ? argv[0] : nullptr);
  CliOptions options = parseCliOptions(std::vector<std::string>(argv + 1, argv + argc));
  if (kProgramExpandsWildcards) options.movies = expandWildcards(options.movies);
  int code = kExitMovieFailed;
  try {
    code = runAction(options, console, programName, argc > 0 ? argv[0] : nullptr);
  } catch (const std::bad_alloc&) {
    // Each movie's own runs out on its own; this is what lies around them.
    console.out.flush();
    console.err << programName << ": out of memory\n";
  }
  // Every movie is finished by now; only then is lost output told.
  console.out.flush();
  if (!console.outFailure) return code;
  console.err << programName << ": write error: " << *console.outFailure << '\n';
  return exitCodeAfterLostOutput(code);
}
