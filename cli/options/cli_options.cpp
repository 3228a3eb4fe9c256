#include "cli/options/cli_options.h"

#include "cli/options/option_checks.h"
#include "cli/options/option_table.h"

namespace vantrel::cli {

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

  // Every option read, in order, once for each time it was given.
  const std::vector<const OptionRow*>& given() const { return given_; }

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
    return apply(*row, value, options);
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
      const std::string error = apply(*row, value, options);
      if (!error.empty() || value) return error;
      if (options.action == CliAction::ShowHelp || options.action == CliAction::ShowVersion) break;
    }
    return std::string();
  }

  // The mode an option chooses, or what it does to the options.
  std::string apply(const OptionRow& row, const std::optional<std::string>& value,
                    CliOptions& options) {
    given_.push_back(&row);
    if (row.mode != nullptr) {
      options.action = row.mode->action;
      return std::string();
    }
    return row.apply(options, value);
  }

  const std::vector<std::string>& args_;
  std::size_t next_ = 0;
  std::vector<const OptionRow*> given_;
};

}  // namespace

CliOptions parseCliOptions(const std::vector<std::string>& args) {
  CliOptions options;
  OptionReader reader(args);
  std::string error = reader.readAll(options);
  const bool ended =
      options.action == CliAction::ShowHelp || options.action == CliAction::ShowVersion;
  if (error.empty() && !ended) error = commandLineProblem(options, reader.given());
  return error.empty() ? options : usageError(error);
}

}  // namespace vantrel::cli
