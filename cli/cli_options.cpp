#include "cli/cli_options.h"

namespace vantrel::cli {

const char kUsageText[] =
    "Usage: vantrel [OPTION]... MOVIE...\n"
    "  or:  vantrel [OPTION]... --files-from LIST [MOVIE]...\n"
    "  or:  vantrel --check-rules [--rules FILE] [--json]\n"
    "  or:  vantrel --undo [--journal=SUFFIX] [OPTION]... MOVIE...\n"
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
    "  --journal[=SUFFIX]\n"
    "                keep a journal of the fixes to each movie, in its name\n"
    "                followed by SUFFIX (.undo unless given): JSON Lines, one\n"
    "                \"fix\" record for each fix, as --list --json prints it, on the\n"
    "                disk before the fix is written; a later repair adds its\n"
    "                records after. No journal is made when nothing is to be\n"
    "                fixed, or with --dry-run\n"
    "  --undo        take back the fixes in each movie's journal, last first: a\n"
    "                value word that still holds the fix's new value gets its old\n"
    "                one back; a word changed since is left as it is and told on\n"
    "                stderr. When all of the journal is undone it is removed. Needs\n"
    "                no rule file; takes -r, --files-from, --dry-run, --list and\n"
    "                --json as a repair does\n"
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
    "  -h, --help    show this help and exit\n"
    "  --version     show the version and exit\n"
    "\n"
    "When more than one movie is processed, a summary closes the run.\n"
    "\n"
    "Exit codes: 0 every movie done, 1 the rule file cannot be opened,\n"
    "2 usage error, 3 some movie could not be opened (a directory given\n"
    "without -r included), was not valid, could not be saved, or was left as\n"
    "it was because its backup could not be made, or its journal could not be\n"
    "written, or a list or directory could not be read; with --undo, some\n"
    "movie had no journal or a word changed since its repair\n"
    "(the others are still processed). With --check-rules:\n"
    "0 no problem found, 4 some problem found, 1 and 2 as above.\n";

namespace {

CliOptions usageError(std::string message) {
  CliOptions options;
  options.action = CliAction::UsageError;
  options.usageError = std::move(message);
  return options;
}

// A journal's suffix is added to the movie's name: it must make a name of
// its own, in the movie's folder.
std::optional<std::string> journalSuffixProblem(const std::string& suffix) {
  if (suffix.empty()) return "option '--journal=' needs a suffix";
  if (suffix.find_first_of("/\\:") != std::string::npos) {
    return "the suffix of '--journal' may hold no '/', '\\' or ':'";
  }
  return std::nullopt;
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
    } else if (arg == "--journal") {
      options.journalSuffix = kDefaultJournalSuffix;
    } else if (arg.rfind("--journal=", 0) == 0) {
      options.journalSuffix = arg.substr(10);
      if (const auto problem = journalSuffixProblem(*options.journalSuffix)) {
        return usageError(*problem);
      }
    } else if (arg == "--undo") {
      options.action = CliAction::Undo;
    } else {
      return usageError("unknown option '" + arg + "'");
    }
  }
  if (options.action == CliAction::CheckRules) {
    if (!options.movies.empty() || !options.filesFrom.empty()) {
      return usageError("option '--check-rules' takes no movie file");
    }
    return options;
  }
  if (options.action == CliAction::Undo) {
    if (options.rulesPath || options.references || options.backupSuffix) {
      return usageError("option '--undo' takes no rule file, --references or --backup");
    }
  }
  if (options.nullSeparated && options.filesFrom.empty()) {
    return usageError("option '--null' needs '--files-from'");
  }
  if (options.movies.empty() && options.filesFrom.empty()) return usageError("no movie file given");
  return options;
}

}  // namespace vantrel::cli
