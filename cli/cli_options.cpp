#include "cli/cli_options.h"

namespace vantrel::cli {

const char kUsageText[] =
    "Usage: vantrel [--rules FILE] [--dry-run] [--list] [--quiet] [--backup[=SUFFIX]]\n"
    "               [--json] MOVIE...\n"
    "       vantrel --check-rules [--rules FILE] [--json]\n"
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
    "  --check-rules\n"
    "                check the rule file and touch no movie: print FILE:LINE: KIND:\n"
    "                explanation for each problem, then the count of rules and\n"
    "                problems. KIND is malformed (not a rule: the rules from that\n"
    "                line on are not used), shadowed (an earlier rule has the same\n"
    "                tag and number, so this one is never consulted), no-change (old\n"
    "                value equals new value), odd-tag (a control character in the\n"
    "                tag) or wrapped (a number outside 32 bits, kept modulo 2^32)\n"
    "  --json        JSON Lines on stdout for scripts: with --check-rules, a\n"
    "                \"rule-problem\" record for each problem and a \"summary\";\n"
    "                when repairing, a \"rule-problem\" record for a bad rule\n"
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
    "made (the others are still processed). With --check-rules: 0 no problem\n"
    "found, 4 some problem found, 1 and 2 as above.\n";

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
    } else if (arg == "--check-rules") {
      options.action = CliAction::CheckRules;
    } else if (arg == "--json") {
      options.json = true;
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
  if (options.action == CliAction::CheckRules) {
    if (!options.movies.empty()) return usageError("option '--check-rules' takes no movie file");
    return options;
  }
  if (options.movies.empty()) return usageError("no movie file given");
  return options;
}

}  // namespace vantrel::cli
