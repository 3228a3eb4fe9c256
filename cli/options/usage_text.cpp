#include "cli/options/usage_text.h"

#include <vector>

#include "cli/options/mode_table.h"
#include "cli/options/option_table.h"

namespace vantrel::cli {
namespace {

constexpr std::size_t kWidth = 78;             // of each line of a paragraph
constexpr std::size_t kUsageWidth = 79;        // of each usage line
constexpr std::size_t kHelpColumn = 16;        // where an option's paragraph begins
constexpr char kUsageLead[] = "Usage: ";       // the first usage line, as help2man reads it
constexpr char kOtherUsageLead[] = "  or:  ";  // and each further one
// Usage lines are measured with this name, so that they do not change with
// the name the program was invoked by.
constexpr char kMeasuredName[] = "vantrel";

// `text` broken into lines of at most kWidth columns at its blanks, the
// first line after `first` and the others after `indent` blanks.
std::string wrapped(const std::string& first, std::size_t indent, const std::string& text) {
  std::string out = first;
  std::size_t column = first.size();
  bool lineEmpty = true;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(' ', start);
    if (end == std::string::npos) end = text.size();
    const std::string word = text.substr(start, end - start);
    start = end + 1;
    if (word.empty()) continue;
    if (!lineEmpty && column + 1 + word.size() > kWidth) {
      out += '\n' + std::string(indent, ' ');
      column = indent;
      lineEmpty = true;
    }
    if (!lineEmpty) {
      out += ' ';
      ++column;
    }
    out += word;
    column += word.size();
    lineEmpty = false;
  }
  return out + '\n';
}

// "-r" for an option with a short name, "--json" for one without.
std::string shortestName(const OptionRow& row) {
  return row.shortName != '\0' ? std::string("-") + row.shortName : optionName(row);
}

// As a usage line offers the option: "[--rules FILE]", "[--backup[=SUFFIX]]", "[-r]".
std::string offered(const OptionRow& row) {
  switch (row.argument) {
    case OptionArgument::None:
      return "[" + shortestName(row) + "]";
    case OptionArgument::Required:
      return "[" + shortestName(row) + " " + row.argumentName + "]";
    case OptionArgument::Optional:
      return "[" + shortestName(row) + "[=" + row.argumentName + "]]";
  }
  return std::string();
}

// As an option's paragraph is headed: "--rules FILE", "-r, --recursive".
std::string heading(const OptionRow& row) {
  std::string text = row.shortName != '\0' ? std::string("-") + row.shortName + ", " : "";
  text += optionName(row);
  if (row.argument == OptionArgument::Required) text += std::string(" ") + row.argumentName;
  if (row.argument == OptionArgument::Optional) text += std::string("[=") + row.argumentName + "]";
  return text;
}

std::vector<const OptionRow*> optionsTaken(const ModeRow& mode) {
  std::vector<const OptionRow*> rows;
  for (const char* name : mode.takes) rows.push_back(optionNamed(name));
  return rows;
}

// The usage lines of `mode`, each without its lead: the options it takes
// one by one where the line has room for them, else "[OPTION]...".
std::vector<std::string> usageLines(const ModeRow& mode, const std::string& programName) {
  const std::string name = mode.option != nullptr ? std::string(" --") + mode.option : "";
  std::string options;
  for (const OptionRow* row : optionsTaken(mode)) options += " " + offered(*row);
  std::vector<std::string> operands;
  if (mode.operands == Operands::Movies) {
    operands.push_back(" MOVIE...");
    if (modeTakes(mode, "files-from")) operands.push_back(" --files-from LIST [MOVIE]...");
  } else {
    operands.push_back(mode.operands == Operands::Pairs ? " GOOD DAMAGED..." : "");
  }
  for (const std::string& operand : operands) {
    const std::size_t measured = std::string(kOtherUsageLead).size() +
                                 std::string(kMeasuredName).size() + name.size() + options.size() +
                                 operand.size();
    if (measured > kUsageWidth) options = " [OPTION]...";
  }
  std::vector<std::string> lines;
  for (const std::string& operand : operands) {
    lines.push_back(programName + name + options + operand);
  }
  return lines;
}

// What a mode's paragraph ends with: the options it takes.
std::string takesSentence(const ModeRow& mode) {
  const std::vector<const OptionRow*> rows = optionsTaken(mode);
  if (rows.empty()) return ". Takes no other option";
  std::string text = ". Takes only ";
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (i > 0) text += i + 1 == rows.size() ? " and " : ", ";
    text += shortestName(*rows[i]);
  }
  return text;
}

std::string optionParagraph(const OptionRow& row) {
  const std::string head = "  " + heading(row);
  const std::string text = row.mode != nullptr ? row.help + takesSentence(*row.mode) : row.help;
  if (head.size() + 2 > kHelpColumn) {
    return head + "\n" + wrapped(std::string(kHelpColumn, ' '), kHelpColumn, text);
  }
  return wrapped(head + std::string(kHelpColumn - head.size(), ' '), kHelpColumn, text);
}

// The modes' options in a sentence: "--a, --b and --c".
std::string modeOptions(const char* conjunction) {
  std::vector<std::string> names;
  for (const ModeRow& mode : modeTable()) {
    if (mode.option != nullptr) names.push_back(std::string("--") + mode.option);
  }
  std::string text;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) text += i + 1 == names.size() ? std::string(" ") + conjunction + " " : ", ";
    text += names[i];
  }
  return text;
}

const char* const kClosingParagraphs[] = {
    "Without --rules, the first of these places that holds a regular file is read: the file "
    "that $VANTREL_RULES names, alone when it is set; fix.dat beside the program; then on POSIX "
    "$XDG_CONFIG_HOME/vantrel/fix.dat (~/.config/vantrel/fix.dat when unset), vantrel/fix.dat in "
    "each folder of $XDG_CONFIG_DIRS (/etc/xdg when unset) and /etc/vantrel/fix.dat; on Windows "
    "%APPDATA%\\Vantrel\\fix.dat and %PROGRAMDATA%\\Vantrel\\fix.dat. A place that holds "
    "nothing, or something other than a regular file (a pipe, a device, a folder), is passed "
    "over; a file that is there but cannot be read ends the search. A file named with --rules "
    "or $VANTREL_RULES is read whatever it is, a pipe too. The current folder is never "
    "searched. --references goes on without rules when none is found.",
    "A long option may be shortened to any prefix that names no other (--dry for --dry-run); "
    "short options may be combined (-rq); an option's value may follow '=' or come as the next "
    "argument; '--' ends the options.",
    "A single movie is reported as Vantrel.exe reports it. When the run may reach more than one "
    "(several movies, -r with a directory, --files-from), each movie's report is one line that "
    "begins with its path, and a summary closes the run.",
    "Exit codes: 0 every movie done, 1 the rule file cannot be opened, 2 usage error, 3 some "
    "movie could not be opened (a directory given without -r included), was not valid, could "
    "not be saved, or was left as it was because its backup could not be made, or its journal "
    "could not be written, or a list or directory could not be read; with --undo, some movie "
    "had no journal or a word changed since its repair (the others are still processed), 5 "
    "standard output could not be written (every movie was still repaired; 1 and 3 go before "
    "it). With --check-rules: 0 no problem found, 4 some problem found, 1, 2 and 5 as above. "
    "With --derive-rules: 0 the rules repair every reference, 4 some problem found, 3 some "
    "movie could not be opened or was not valid, 1 FILE cannot be opened, 2 usage error, 5 as "
    "above. With --suggest-rules: 0 no problem found, 4 some problem found, 3 some movie could "
    "not be opened or was not valid (the others are still read), 1 FILE cannot be opened, 2 "
    "usage error, 5 as above.",
};

}  // namespace

std::string usageTextFor(const std::string& programName) {
  std::string text;
  for (const ModeRow& mode : modeTable()) {
    for (const std::string& line : usageLines(mode, programName)) {
      text += (text.empty() ? kUsageLead : kOtherUsageLead) + line + "\n";
    }
  }
  text += "\n";
  text += wrapped("", 0,
                  "Repairs the bad expansion references in each QELM movie file in place, by "
                  "the rules in fix.dat. " +
                      modeOptions("and") +
                      " each do another thing instead, and take only the options that their "
                      "paragraphs name; at most one of them may be given.");
  text += "\n";
  for (const OptionRow& row : optionTable()) text += optionParagraph(row);
  for (const char* paragraph : kClosingParagraphs) text += "\n" + wrapped("", 0, paragraph);
  return text;
}

}  // namespace vantrel::cli
