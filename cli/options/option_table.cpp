#include "cli/options/option_table.h"

#include <cstdint>

#include "cli/files/file_names.h"

namespace vantrel::cli {
namespace {

using Value = std::optional<std::string>;

std::string accepted() { return std::string(); }

// `text` as a decimal number of digits alone, no sign or blank; empty when
// it is none, or past 2^64.
std::optional<std::uint64_t> wholeNumber(const std::string& text) {
  if (text.empty() || text.size() > 20) return std::nullopt;
  std::uint64_t number = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    const auto digit = static_cast<std::uint64_t>(c - '0');
    if (number > (UINT64_MAX - digit) / 10) return std::nullopt;
    number = number * 10 + digit;
  }
  return number;
}

OptionRow flag(const char* longName, char shortName, ApplyOption apply, const char* help,
               const char* needs = nullptr) {
  return {longName, shortName, OptionArgument::None, nullptr, nullptr, needs, apply, help, nullptr};
}

OptionRow withValue(const char* longName, const char* argumentName, const char* argumentNeed,
                    ApplyOption apply, const char* help) {
  return {longName, '\0',   OptionArgument::Required, argumentName, argumentNeed, nullptr, apply,
          help,     nullptr};
}

OptionRow withOptionalValue(const char* longName, const char* argumentName, ApplyOption apply,
                            const char* help) {
  return {longName, '\0',   OptionArgument::Optional, argumentName, nullptr, nullptr, apply,
          help,     nullptr};
}

OptionRow modeOption(const ModeRow& mode) {
  return {mode.option, '\0', OptionArgument::None, nullptr, nullptr, nullptr, nullptr,
          mode.help,   &mode};
}

std::vector<OptionRow> makeTable() {
  std::vector<OptionRow> table = {
      withValue(
          "rules", "FILE", "a file name",
          [](CliOptions& o, const Value& v) {
            o.rulesPath = *v;
            return accepted();
          },
          "read the rules from FILE instead of the fix.dat found as told below"),
      flag(
          "dry-run", '\0',
          [](CliOptions& o, const Value&) {
            o.dryRun = true;
            return accepted();
          },
          "open each movie read-only, write nothing, and tell how many references would be "
          "fixed"),
      flag(
          "list", '\0',
          [](CliOptions& o, const Value&) {
            o.list = true;
            return accepted();
          },
          "print a line for each reference fixed (or, with --dry-run, that would be fixed): "
          "offset of its value word, tag, number, old value -> new value"),
      flag(
          "references", '\0',
          [](CliOptions& o, const Value&) {
            o.references = true;
            return accepted();
          },
          "print every reference each movie holds, in the order they are read: offset of its "
          "value word, chunk (place in the index and tag), element (in group chunks), tag, "
          "number, value, what the rules make of it (fix, already-fixed, other-value or "
          "no-rule) and the line of the rule; writes nothing, as --dry-run"),
      flag(
          "recursive", 'r',
          [](CliOptions& o, const Value&) {
            o.recursive = true;
            return accepted();
          },
          "a directory stands for every file beneath it whose name ends in .qlm (in any letter "
          "case), in sorted order; symbolic links to directories are not followed"),
      withValue(
          "files-from", "LIST", "a file name",
          [](CliOptions& o, const Value& v) {
            o.filesFrom.push_back(*v);
            return accepted();
          },
          "repair the movies named in the file LIST, one per line, after those on the command "
          "line; '-' reads the list from standard input"),
      flag(
          "null", '\0',
          [](CliOptions& o, const Value&) {
            o.nullSeparated = true;
            return accepted();
          },
          "the paths in LIST end in NUL bytes, as find -print0 writes them, instead of line ends",
          "files-from"),
      flag(
          "json", '\0',
          [](CliOptions& o, const Value&) {
            o.json = true;
            return accepted();
          },
          "JSON Lines on stdout for scripts, one record for each reference, fix (with --list), "
          "failed write, movie result and bad rule, and a closing summary; failures are also "
          "told on stderr. With --check-rules, a \"rule-problem\" record for each problem and a "
          "\"summary\"; with --suggest-rules, a \"suggestion\" record for each rule suggested, "
          "a \"suggest-problem\" for each problem and a \"summary\""),
      withOptionalValue(
          "backup", "SUFFIX",
          [](CliOptions& o, const Value& v) {
            o.backupSuffix = v.value_or(kDefaultBackupSuffix);
            return suffixProblem("--backup", *o.backupSuffix).value_or(accepted());
          },
          "before the first fix to a movie, copy it whole to its name followed by SUFFIX (.bak "
          "unless given); an existing file is never overwritten: the movie is then left as it "
          "is. No copy is made when nothing is to be fixed, or with --dry-run. SUFFIX may hold "
          "none of '/', '\\' and ':', nor be the suffix of --journal"),
      withOptionalValue(
          "journal", "SUFFIX",
          [](CliOptions& o, const Value& v) {
            o.journalSuffix = v.value_or(kDefaultJournalSuffix);
            return suffixProblem("--journal", *o.journalSuffix).value_or(accepted());
          },
          "keep a journal of the fixes to each movie, in its name followed by SUFFIX (.undo "
          "unless given): JSON Lines, one \"fix\" record for each fix, as --list --json prints "
          "it, on the disk before the fix is written; a later repair adds its records after. No "
          "journal is made when nothing is to be fixed, or with --dry-run. With --undo, the "
          "journal to read"),
      withValue(
          "agreement", "PERCENT", "a percent",
          [](CliOptions& o, const Value& v) {
            const auto percent = wholeNumber(*v);
            if (!percent || *percent < 1 || *percent > 100) {
              return "option '--agreement' takes a whole percent from 1 to 100, not '" + *v + "'";
            }
            o.agreement = static_cast<std::uint32_t>(*percent);
            return accepted();
          },
          "with --suggest-rules, suggest a rule only when its value is held by at least PERCENT "
          "percent (1 to 100, 90 "
          "unless given) of the movies that hold the tag and number; a movie holding two of its "
          "values counts for both"),
      withValue(
          "min-movies", "N", "a number of movies",
          [](CliOptions& o, const Value& v) {
            const auto movies = wholeNumber(*v);
            if (!movies || *movies < 1) {
              return "option '--min-movies' takes a whole number of movies from 1 on, not '" + *v +
                     "'";
            }
            o.minMovies = *movies;
            return accepted();
          },
          "with --suggest-rules, suggest a rule only when its value is held by at least N movies "
          "(5 unless given)"),
      flag(
          "quiet", 'q',
          [](CliOptions& o, const Value&) {
            o.quiet = true;
            return accepted();
          },
          "no progress bar (one is drawn on stderr only when stderr is a terminal)"),
  };
  for (const ModeRow& mode : modeTable()) {
    if (mode.option != nullptr) table.push_back(modeOption(mode));
  }
  table.push_back(flag(
      "help", 'h',
      [](CliOptions& o, const Value&) {
        o.action = CliAction::ShowHelp;
        return accepted();
      },
      "show this help and exit"));
  table.push_back(flag(
      "version", '\0',
      [](CliOptions& o, const Value&) {
        o.action = CliAction::ShowVersion;
        return accepted();
      },
      "show the version and exit"));
  return table;
}

}  // namespace

const std::vector<OptionRow>& optionTable() {
  static const std::vector<OptionRow> table = makeTable();
  return table;
}

const OptionRow* optionNamed(const std::string& longName) {
  for (const OptionRow& row : optionTable()) {
    if (longName == row.longName) return &row;
  }
  return nullptr;
}

std::string optionName(const OptionRow& row) { return std::string("--") + row.longName; }

}  // namespace vantrel::cli
