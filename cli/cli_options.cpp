#include "cli/cli_options.h"

namespace vantrel::cli {

const char kUsageText[] =
    "Usage: vantrel [OPTION]... MOVIE...\n"
    "  or:  vantrel [OPTION]... --files-from LIST [MOVIE]...\n"
    "  or:  vantrel --check-rules [--rules FILE] [--json]\n"
    "  or:  vantrel --derive-rules [--rules FILE] [--json] [-r] GOOD DAMAGED...\n"
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
    "  --references  print every reference each movie holds, in the order they\n"
    "                are read: offset of its value word, chunk (place in the index\n"
    "                and tag), element (in group chunks), tag, number, value, what\n"
    "                the rules make of it (fix, already-fixed, other-value or\n"
    "                no-rule) and the line of the rule; writes nothing, as\n"
    "                --dry-run\n"
    "  -r, --recursive\n"
    "                a directory stands for every file beneath it whose name ends\n"
    "                in .qlm (in any letter case), in sorted order; symbolic links\n"
    "                to directories are not followed\n"
    "  --files-from LIST\n"
    "                repair the movies named in the file LIST, one per line, after\n"
    "                those on the command line; '-' reads the list from standard\n"
    "                input\n"
    "  --null        the paths in LIST end in NUL bytes, as find -print0 writes\n"
    "                them, instead of line ends\n"
    "  --json        JSON Lines on stdout for scripts, one record for each\n"
    "                reference, fix (with --list), failed write, movie result and\n"
    "                bad rule, and a closing summary; failures are also told on\n"
    "                stderr. With --check-rules, a \"rule-problem\" record for each\n"
    "                problem and a \"summary\"\n"
    "  --backup[=SUFFIX]\n"
    "                before the first fix to a movie, copy it whole to its name\n"
    "                followed by SUFFIX (.bak unless given); an existing file is\n"
    "                never overwritten: the movie is then left as it is. No copy\n"
    "                is made when nothing is to be fixed, or with --dry-run\n"
    "  -q, --quiet   no progress bar (one is drawn on stderr only when stderr is\n"
    "                a terminal)\n"
    "  --check-rules\n"
    "                check the rule file and touch no movie: print FILE:LINE: KIND:\n"
    "                explanation for each problem, then the count of rules and\n"
    "                problems. KIND is malformed (not a rule: the rules from that\n"
    "                line on are not used), shadowed (an earlier rule has the same\n"
    "                tag and number, so this one is never consulted), no-change (old\n"
    "                value equals new value), odd-tag (a control character in the\n"
    "                tag) or wrapped (a number outside 32 bits, kept modulo 2^32)\n"
    "  --derive-rules\n"
    "                read pairs of movies, GOOD DAMAGED (with -r, pairs of\n"
    "                directories), and write to stdout the fix.dat records that\n"
    "                turn each damaged movie into its good copy; write no movie.\n"
    "                With --rules, only rules that FILE lacks are written, so the\n"
    "                output can be appended to FILE. Problems go to stderr as\n"
    "                MOVIE:OFFSET: KIND: explanation, KIND being layout (no\n"
    "                partner at the same place), conflict (no one rule serves\n"
    "                every reference), shadowed (a rule in FILE decides it\n"
    "                wrongly), unwritable (fix.dat cannot hold the tag) or\n"
    "                unpaired (with -r, a movie in one directory only)\n"
    "  -h, --help    show this help and exit\n"
    "  --version     show the version and exit\n"
    "\n"
    "When more than one movie is processed, a summary closes the run.\n"
    "\n"
    "Exit codes: 0 every movie done, 1 the rule file cannot be opened,\n"
    "2 usage error, 3 some movie could not be opened (a directory given\n"
    "without -r included), was not valid, could not be saved, or was left as\n"
    "it was because its backup could not be made, or a list or directory\n"
    "could not be read (the others are still processed). With --check-rules:\n"
    "0 no problem found, 4 some problem found, 1 and 2 as above.\n"
    "With --derive-rules: 0 the rules repair every reference, 4 some problem\n"
    "found, 3 some movie could not be opened or was not valid, 1 FILE cannot\n"
    "be opened, 2 usage error.\n";

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
    } else if (arg == "--references") {
      options.references = true;
    } else if (arg == "--recursive" || arg == "-r") {
      options.recursive = true;
    } else if (arg == "--null") {
      options.nullSeparated = true;
    } else if (arg == "--files-from") {
      if (i + 1 == args.size()) return usageError("option '--files-from' needs a file name");
      options.filesFrom.push_back(args[++i]);
    } else if (arg.rfind("--files-from=", 0) == 0) {
      options.filesFrom.push_back(arg.substr(13));
    } else if (arg == "--quiet" || arg == "-q") {
      options.quiet = true;
    } else if (arg == "--check-rules") {
      options.action = CliAction::CheckRules;
    } else if (arg == "--derive-rules") {
      options.deriveRules = true;
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
  if (options.deriveRules) return deriveRulesOptions(std::move(options));
  if (options.action == CliAction::CheckRules) {
    if (!options.movies.empty() || !options.filesFrom.empty()) {
      return usageError("option '--check-rules' takes no movie file");
    }
    return options;
  }
  if (options.nullSeparated && options.filesFrom.empty()) {
    return usageError("option '--null' needs '--files-from'");
  }
  if (options.movies.empty() && options.filesFrom.empty()) return usageError("no movie file given");
  return options;
}

}  // namespace vantrel::cli
