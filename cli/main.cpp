// vantrel: repairs QELM movie files from the command line.

#include <iostream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <io.h>
#define VANTREL_ISATTY _isatty
#else
#include <unistd.h>
#define VANTREL_ISATTY isatty
#endif

#include "cli/check_rules.h"
#include "cli/cli_options.h"
#include "cli/cli_run.h"
#include "cli/executable_dir.h"
#include "vantrel_version.h"

int main(int argc, char** argv) {
  using namespace vantrel::cli;
  const CliOptions options = parseCliOptions(std::vector<std::string>(argv + 1, argv + argc));
  switch (options.action) {
    case CliAction::ShowHelp:
      std::cout << kUsageText;
      return kExitDone;
    case CliAction::ShowVersion:
      std::cout << "vantrel " << VANTREL_VERSION_TEXT << '\n';
      return kExitDone;
    case CliAction::UsageError:
      std::cerr << "vantrel: " << options.usageError << "\nTry 'vantrel --help'.\n";
      return kExitUsage;
    case CliAction::Patch:
    case CliAction::CheckRules:
      break;
  }
  const CliEnvironment environment{std::cout, std::cerr, executableDirectory(argv[0]),
                                   VANTREL_ISATTY(2) != 0};
  if (options.action == CliAction::CheckRules) return runCheckRules(options, environment);
  return runCli(options, environment);
}
