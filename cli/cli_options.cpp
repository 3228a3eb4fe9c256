#include "cli/cli_options.h"

namespace vantrel::cli {

const char kUsageText[] =
    "Usage: vantrel [--rules FILE] [--dry-run] [--list] [--quiet] [--backup[=SUFFIX]] MOVIE...\n"
    "\n"
    "Repairs the bad expansion references in each QELM movie file in place,\n"
    "by the rules in fix.dat.\n"
    "\n"
    "  --rules FILE  read the rules from FILE instead of the fix.dat that lies\n"
    "                beside the vantrel program\n"
    "  --dry-run     open each movie read-only, write nothing, and tell how many\n"
    "                references would be fixed\n"
    "  --list        print a line for each reference fixed (or, with --dry-run,\n"
    "                that would be fixed): offset of its value word, tag, number,\n"
    "                old value -> new value\n"
    "  --quiet       no progress bar\n"
    "  --backup[=SUFFIX]\n"
    "                before the first fix to a movie, copy it whole to its name\n"
    "                followed by SUFFIX (.bak unless given); an existing file is\n"
    "                never overwritten: the movie is then left as it is. No copy\n"
    "                is made when nothing is to be fixed, or with --dry-run\n"
    "  --help        show this help and exit\n"
    "  --version     show the version and exit\n"
    "\n"
    "Exit codes: 0 every movie done, 1 the rule file cannot be opened,\n"
    "2 usage error, 3 some movie could not be opened, was not valid, could\n"
    "not be saved, or was left as it was because its backup could not be\n"
    "made (the others are still processed).\n";

namespace {

CliOptions usageError(std::string message) {
  CliOptions options;
  options.action = CliAction::UsageError;
  options.usageError = std::move(message);
  return options;
}

}  // namespace

CliOptions parseCliOptions(const std::vector<std::string>& args) {
  CliOptions options;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      options.movies.push_back(arg);
    } else if (arg == "--") {
      optionsEnded = true;
    } else if (arg == "--help" || arg == "-h") {
      options.action = CliAction::ShowHelp;
      return options;
    } else if (arg == "--version") {
      options.action = CliAction::ShowVersion;
      return options;
    } else if (arg == "--dry-run") {
      options.dryRun = true;
    } else if (arg == "--list") {
      options.list = true;
    } else if (arg == "--quiet" || arg == "-q") {
      options.quiet = true;
    } else if (arg == "--rules") {
      if (i + 1 == args.size()) return usageError("option '--rules' needs a file name");
      options.rulesPath = args[++i];
    } else if (arg.rfind("--rules=", 0) == 0) {
      options.rulesPath = arg.substr(8);
    } else if (arg == "--backup") {
      options.backupSuffix = kDefaultBackupSuffix;
    } else if (arg.rfind("--backup=", 0) == 0) {
      // An empty suffix would name the movie itself.
      if (arg.size() == 9) return usageError("option '--backup=' needs a suffix");
      options.backupSuffix = arg.substr(9);
    } else {
      return usageError("unknown option '" + arg + "'");
    }
  }
  if (options.movies.empty()) return usageError("no movie file given");
  return options;
}

}  // namespace vantrel::cli
