#include "cli/options/cli_options.h"

#include <cstring>

#include "cli/options/option_table.h"

namespace vantrel::cli {

const char kUsageText[] =
    "Usage: vantrel [OPTION]... MOVIE...\n"
    "  or:  vantrel [OPTION]... --files-from LIST [MOVIE]...\n"
    "  or:  vantrel --check-rules [--rules FILE] [--json]\n"
    "  or:  vantrel --show-rules-path [--rules FILE]\n"
    "  or:  vantrel --undo [--journal=SUFFIX] [OPTION]... MOVIE...\n"
    "  or:  vantrel --derive-rules [--rules FILE] [--json] [-r] GOOD DAMAGED...\n"
    "  or:  vantrel --suggest-rules [OPTION]... MOVIE...\n"
    "\n"
    "Repairs the bad expansion references in each QELM movie file in place,\n"
    "by the rules in fix.dat.\n"
    "\n"
    "  --rules FILE  read the rules from FILE instead of the fix.dat found as\n"
    "                told below\n"
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
    "                problem and a \"summary\"; with --suggest-rules, a\n"
    "                \"suggestion\" record for each rule suggested, a\n"
    "                \"suggest-problem\" for each problem and a \"summary\"\n"
    "  --backup[=SUFFIX]\n"
    "                before the first fix to a movie, copy it whole to its name\n"
    "                followed by SUFFIX (.bak unless given); an existing file is\n"
    "                never overwritten: the movie is then left as it is. No copy\n"
    "                is made when nothing is to be fixed, or with --dry-run.\n"
    "                SUFFIX may hold none of '/', '\\' and ':'\n"
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
    "  --show-rules-path\n"
    "                print the path of the rule file that would be read, and touch\n"
    "                no movie\n"
    "  --derive-rules\n"
    "                read pairs of movies, GOOD DAMAGED (with -r, pairs of\n"
    "                directories), and write to stdout the fix.dat records that\n"
    "                turn each damaged movie into its good copy; write no movie.\n"
    "                With --rules, only rules that FILE lacks are written, so the\n"
    "                output can be appended to FILE; without it, no rule file is\n"
    "                read. Problems go to stderr as MOVIE:OFFSET: KIND:\n"
    "                explanation, KIND being layout (no partner at the same\n"
    "                place), conflict (no one rule serves every reference),\n"
    "                shadowed (a rule in FILE decides it wrongly), unwritable\n"
    "                (fix.dat cannot hold the tag) or unpaired (with -r, a movie\n"
    "                in one directory only)\n"
    "  --suggest-rules\n"
    "                read every movie (with -r, --files-from and --null as a\n"
    "                repair takes them; also --rules, --json, --agreement and\n"
    "                --min-movies), write none, and write to stdout the\n"
    "                fix.dat records the archive agrees on: for a tag and number\n"
    "                whose values differ among the movies, the value held by the\n"
    "                most movies is taken for the right one, and the next most\n"
    "                held for the bad one. A suggestion is agreement across the\n"
    "                archive, not proof: read its evidence on stderr (values,\n"
    "                movies, references and the first movies holding the bad\n"
    "                value) before you use it. Problems go to stderr: more-values\n"
    "                (the tag and number holds further values, for a later run),\n"
    "                unwritable (fix.dat cannot hold the tag) and, with --rules,\n"
    "                differs (FILE's first rule for it is another; a rule FILE\n"
    "                already holds is not written). Without --rules, no rule file\n"
    "                is read\n"
    "  --agreement=PERCENT\n"
    "                with --suggest-rules, suggest only when the value is held by\n"
    "                at least PERCENT percent (1 to 100, 90 unless given) of the\n"
    "                movies that hold the tag and number; a movie holding two of\n"
    "                its values counts for both\n"
    "  --min-movies=N\n"
    "                with --suggest-rules, suggest only when the value is held by\n"
    "                at least N movies (5 unless given)\n"
    "  -h, --help    show this help and exit\n"
    "  --version     show the version and exit\n"
    "\n"
    "Without --rules, the first of these files that exists is read: the one that\n"
    "$VANTREL_RULES names; fix.dat beside the program; then on POSIX\n"
    "$XDG_CONFIG_HOME/vantrel/fix.dat (~/.config/vantrel/fix.dat when unset),\n"
    "vantrel/fix.dat in each folder of $XDG_CONFIG_DIRS (/etc/xdg when unset)\n"
    "and /etc/vantrel/fix.dat; on Windows %APPDATA%\\Vantrel\\fix.dat and\n"
    "%PROGRAMDATA%\\Vantrel\\fix.dat. The current folder is never searched.\n"
    "--references goes on without rules when none is found.\n"
    "\n"
    "A long option may be shortened to any prefix that names no other (--dry\n"
    "for --dry-run); short options may be combined (-rq); an option's value may\n"
    "follow '=' or come as the next argument; '--' ends the options.\n"
    "\n"
    "A single movie is reported as Vantrel.exe reports it. When the run may\n"
    "reach more than one (several movies, -r with a directory, --files-from), each\n"
    "movie's report is one line that begins with its path, and a summary closes\n"
    "the run.\n"
    "\n"
    "Exit codes: 0 every movie done, 1 the rule file cannot be opened,\n"
    "2 usage error, 3 some movie could not be opened (a directory given\n"
    "without -r included), was not valid, could not be saved, or was left as\n"
    "it was because its backup could not be made, or its journal could not be\n"
    "written, or a list or directory could not be read; with --undo, some\n"
    "movie had no journal or a word changed since its repair (the others are\n"
    "still processed), 5 standard output could not be written (every movie\n"
    "was still repaired; 1 and 3 go before it). With --check-rules: 0 no\n"
    "problem found, 4 some problem found, 1, 2 and 5 as above.\n"
    "With --derive-rules: 0 the rules repair every reference, 4 some problem\n"
    "found, 3 some movie could not be opened or was not valid, 1 FILE cannot\n"
    "be opened, 2 usage error, 5 as above.\n"
    "With --suggest-rules: 0 no problem found, 4 some problem found, 3 some\n"
    "movie could not be opened or was not valid (the others are still read),\n"
    "1 FILE cannot be opened, 2 usage error, 5 as above.\n";

CliOptions usageError(std::string message) {
  CliOptions options;
  options.action = CliAction::UsageError;
  options.usageError = std::move(message);
  return options;
}

namespace {

// The option that `name` spells in full, or else the only one it begins;
// sets `error` when it names none or more than one.
const OptionRow* findLongOption(const std::string& name, std::string& error) {
  std::vector<const OptionRow*> candidates;
  if (name.empty()) {
    error = "unknown option '--" + name + "'";
    return nullptr;
  }
  for (const OptionRow& row : optionTable()) {
    if (name == row.longName) return &row;
    if (std::string(row.longName).compare(0, name.size(), name) == 0) candidates.push_back(&row);
  }
  if (candidates.size() == 1) return candidates.front();
  if (candidates.empty()) {
    error = "unknown option '--" + name + "'";
  } else {
    error = "option '--" + name + "' is ambiguous; possibilities:";
    for (const OptionRow* row : candidates) error += std::string(" '--") + row->longName + "'";
  }
  return nullptr;
}

const OptionRow* findShortOption(char letter) {
  for (const OptionRow& row : optionTable()) {
    if (row.shortName == letter) return &row;
  }
  return nullptr;
}

std::string missingArgument(const OptionRow& row) {
  return std::string("option '--") + row.longName + "' needs " + row.argumentNeed;
}

// Reads the arguments one by one; options may come anywhere among the movies.
class OptionReader {
 public:
  explicit OptionReader(const std::vector<std::string>& args) : args_(args) {}

  // Reads every argument; returns a usage error, or an empty string.
  std::string readAll(CliOptions& options) {
    bool optionsEnded = false;
    for (next_ = 0; next_ < args_.size();) {
      const std::string& arg = args_[next_++];
      std::string error;
      if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
        options.movies.push_back(arg);
      } else if (arg == "--") {
        optionsEnded = true;
      } else if (arg[1] == '-') {
        error = readLong(arg.substr(2), options);
      } else {
        error = readShorts(arg.substr(1), options);
      }
      if (!error.empty()) return error;
      // Help and version win over everything after them.
      if (options.action == CliAction::ShowHelp || options.action == CliAction::ShowVersion) break;
    }
    return std::string();
  }

 private:
  // "name", "name=value" or a unique prefix of a name, with the value in the
  // next argument where the option needs one.
  std::string readLong(const std::string& word, CliOptions& options) {
    const std::size_t equals = word.find('=');
    std::string error;
    const OptionRow* row = findLongOption(word.substr(0, equals), error);
    if (row == nullptr) return error;
    std::optional<std::string> value;
    if (equals != std::string::npos) {
      if (row->argument == OptionArgument::None) {
        return std::string("option '--") + row->longName + "' takes no argument";
      }
      value = word.substr(equals + 1);
    } else if (row->argument == OptionArgument::Required) {
      if (next_ == args_.size()) return missingArgument(*row);
      value = args_[next_++];
    }
    return row->apply(options, value);
  }

  // One or more short options bundled in one word ("-rq"); one that takes an
  // argument takes the rest of the word, or else the next argument.
  std::string readShorts(const std::string& letters, CliOptions& options) {
    for (std::size_t i = 0; i < letters.size(); ++i) {
      const OptionRow* row = findShortOption(letters[i]);
      if (row == nullptr) return "unknown option '-" + letters.substr(i, 1) + "'";
      std::optional<std::string> value;
      const std::string rest = letters.substr(i + 1);
      if (row->argument != OptionArgument::None && !rest.empty()) {
        value = rest;
      } else if (row->argument == OptionArgument::Required) {
        if (next_ == args_.size()) return missingArgument(*row);
        value = args_[next_++];
      }
      const std::string error = row->apply(options, value);
      if (!error.empty() || value) return error;
      if (options.action == CliAction::ShowHelp || options.action == CliAction::ShowVersion) break;
    }
    return std::string();
  }

  const std::vector<std::string>& args_;
  std::size_t next_ = 0;
};

// --agreement and --min-movies mean something to --suggest-rules only.
std::string thresholdsWithoutSuggesting(const CliOptions& options) {
  if (options.agreement) return "option '--agreement' needs '--suggest-rules'";
  if (options.minMovies) return "option '--min-movies' needs '--suggest-rules'";
  return std::string();
}

// What the options read allow: the movies an action needs, or none.
std::string inconsistency(const CliOptions& options) {
  if (options.action == CliAction::CheckRules || options.action == CliAction::ShowRulesPath) {
    if (!options.movies.empty() || !options.filesFrom.empty()) {
      return std::string("option '") +
             (options.action == CliAction::CheckRules ? "--check-rules" : "--show-rules-path") +
             "' takes no movie file";
    }
    return std::string();
  }
  if (options.action == CliAction::Undo &&
      (options.rulesPath || options.references || options.backupSuffix)) {
    return "option '--undo' takes no rule file, --references or --backup";
  }
  if (options.nullSeparated && options.filesFrom.empty()) {
    return "option '--null' needs '--files-from'";
  }
  if (options.movies.empty() && options.filesFrom.empty()) return "no movie file given";
  return std::string();
}

}  // namespace

CliOptions parseCliOptions(const std::vector<std::string>& args) {
  CliOptions options;
  std::string error = OptionReader(args).readAll(options);
  const bool helpOrVersion =
      options.action == CliAction::ShowHelp || options.action == CliAction::ShowVersion;
  if (error.empty() && options.suggestRules && !helpOrVersion) {
    return suggestRulesOptions(std::move(options));
  }
  if (error.empty() && !helpOrVersion) error = thresholdsWithoutSuggesting(options);
  if (error.empty() && options.deriveRules && !helpOrVersion) {
    return deriveRulesOptions(std::move(options));
  }
  if (error.empty() && options.action != CliAction::ShowHelp &&
      options.action != CliAction::ShowVersion) {
    error = inconsistency(options);
  }
  return error.empty() ? options : usageError(error);
}

std::string usageTextFor(const std::string& programName) {
  std::string text = kUsageText;
  for (const std::string lead : {"Usage: ", "  or:  "}) {
    const std::string usage = lead + "vantrel ";
    for (std::size_t at = text.find(usage); at != std::string::npos;
         at = text.find(usage, at + 1)) {
      text.replace(at + lead.size(), std::strlen("vantrel"), programName);
    }
  }
  return text;
}

}  // namespace vantrel::cli
