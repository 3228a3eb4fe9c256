#include "cli/options/option_checks.h"

#include <algorithm>

namespace vantrel::cli {
namespace {

std::string quoted(const char* longName) { return std::string("'--") + longName + "'"; }

std::string cannotGoWith(const char* first, const char* second) {
  return "option " + quoted(first) + " cannot be used with " + quoted(second);
}

// The first mode given, and the first other one given after it, if any.
struct GivenModes {
  const ModeRow* first = nullptr;
  const ModeRow* second = nullptr;
};

GivenModes modesGiven(const std::vector<const OptionRow*>& given) {
  GivenModes modes;
  for (const OptionRow* row : given) {
    if (row->mode == nullptr) continue;
    if (modes.first == nullptr) {
      modes.first = row->mode;
    } else if (row->mode != modes.first && modes.second == nullptr) {
      modes.second = row->mode;
    }
  }
  return modes;
}

// An option that the repair does not take is of use only in the modes that do.
std::string needsAMode(const OptionRow& option) {
  std::vector<std::string> modes;
  for (const ModeRow& mode : modeTable()) {
    if (mode.option != nullptr && modeTakes(mode, option.longName)) {
      modes.push_back(quoted(mode.option));
    }
  }
  std::string text = "option " + quoted(option.longName) + " needs ";
  if (modes.size() != 1) text += "one of ";
  for (std::size_t i = 0; i < modes.size(); ++i) text += (i == 0 ? "" : ", ") + modes[i];
  return text;
}

std::string optionNotTaken(const ModeRow& mode, const std::vector<const OptionRow*>& given) {
  for (const OptionRow* row : given) {
    if (row->mode != nullptr || modeTakes(mode, row->longName)) continue;
    // A list of movies, to a mode that takes none, is told as its movies are.
    if (mode.operands == Operands::None && std::string(row->longName) == "files-from") continue;
    return mode.option == nullptr ? needsAMode(*row) : cannotGoWith(mode.option, row->longName);
  }
  return std::string();
}

std::string neededOptionMissing(const std::vector<const OptionRow*>& given) {
  for (const OptionRow* row : given) {
    if (row->needs == nullptr) continue;
    const bool found = std::any_of(given.begin(), given.end(), [row](const OptionRow* other) {
      return std::string(other->longName) == row->needs;
    });
    if (!found) return "option " + quoted(row->longName) + " needs " + quoted(row->needs);
  }
  return std::string();
}

std::string operandsProblem(const ModeRow& mode, const CliOptions& options) {
  switch (mode.operands) {
    case Operands::None:
      return std::string();  // told before any option, as a movie list is one too
    case Operands::Movies:
      if (options.movies.empty() && options.filesFrom.empty()) return "no movie file given";
      return std::string();
    case Operands::Pairs:
      if (options.movies.empty()) return "option " + quoted(mode.option) + " needs GOOD DAMAGED";
      if (options.movies.size() % 2 != 0) {
        return "option " + quoted(mode.option) + " takes pairs GOOD DAMAGED, but " +
               std::to_string(options.movies.size()) + " paths were given";
      }
      return std::string();
  }
  return std::string();
}

// Letter case aside, as a Windows volume or a shared folder compares names.
bool sameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
           return lower(x) == lower(y);
         });
}

// The backup and the journal are two files beside the movie: with one
// suffix the journal would be the backup, and no repair could make both.
std::string sharedSuffix(const CliOptions& options) {
  if (!options.backupSuffix || !options.journalSuffix) return std::string();
  if (!sameName(*options.backupSuffix, *options.journalSuffix)) return std::string();
  return "options '--backup' and '--journal' would name one file: both have the suffix '" +
         *options.journalSuffix + "'";
}

}  // namespace

std::string commandLineProblem(const CliOptions& options,
                               const std::vector<const OptionRow*>& given) {
  const GivenModes modes = modesGiven(given);
  if (modes.second != nullptr) return cannotGoWith(modes.first->option, modes.second->option);
  const ModeRow& mode = modes.first != nullptr ? *modes.first : repairMode();
  if (const std::string problem = optionNotTaken(mode, given); !problem.empty()) return problem;
  if (mode.operands == Operands::None && (!options.movies.empty() || !options.filesFrom.empty())) {
    return "option " + quoted(mode.option) + " takes no movie file";
  }
  for (const std::string& problem :
       {neededOptionMissing(given), operandsProblem(mode, options), sharedSuffix(options)}) {
    if (!problem.empty()) return problem;
  }
  return std::string();
}

}  // namespace vantrel::cli
