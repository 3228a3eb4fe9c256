// vantrel: repairs QELM movie files from the command line.

#include <string>
#include <vector>

#include "cli/check_rules.h"
#include "cli/cli_options.h"
#include "cli/cli_run.h"
#include "cli/console_streams.h"
#include "cli/derive_rules.h"
#include "cli/executable_dir.h"
#include "cli/program_name.h"
#include "vantrel_version.h"

int main(int argc, char** argv) {
  using namespace vantrel::cli;
  const ConsoleStreams console = openConsoleStreams();
  const std::string programName = programNameFrom(argc > 0 ? argv[0] : nullptr);
  const CliOptions options = parseCliOptions(std::vector<std::string>(argv + 1, argv + argc));
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
    case CliAction::DeriveRules:
    case CliAction::ShowRulesPath:
      break;
  }
  const CliEnvironment environment{
      console.in,           console.out, console.err, programName, executableDirectory(argv[0]),
      console.errIsTerminal};
  if (options.action == CliAction::CheckRules) return runCheckRules(options, environment);
  if (options.action == CliAction::ShowRulesPath) return runShowRulesPath(options, environment);
  if (options.action == CliAction::DeriveRules) {
    writeStandardOutputAsBytes();  // the rules' tags may hold any byte
    return runDeriveRules(options, environment);
  }
  return runCli(options, environment);
}
