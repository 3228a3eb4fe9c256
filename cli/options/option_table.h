#ifndef VANTREL_CLI_OPTIONS_OPTION_TABLE_H_
#define VANTREL_CLI_OPTIONS_OPTION_TABLE_H_

#include <optional>
#include <string>
#include <vector>

#include "cli/options/cli_options.h"
#include "cli/options/mode_table.h"

namespace vantrel::cli {

enum class OptionArgument {
  None,      // a switch: "--list"
  Required,  // "--rules FILE" or "--rules=FILE" (and "-xFILE" or "-x FILE" for a short one)
  Optional,  // "--backup" or "--backup=SUFFIX", never a separate word
};

// What an option does to the options read so far, given its value (none for a
// switch, or for an optional argument left out). Returns a usage error, or an
// empty string when the value is fine.
using ApplyOption = std::string (*)(CliOptions& options, const std::optional<std::string>& value);

// One option of the command line. The parser, the checks of a command line
// and --help know nothing but this table and the modes, so an option is
// added as one row here and its name in the modes that take it.
struct OptionRow {
  const char* longName;  // without the leading "--"
  char shortName;        // '\0' when it has none
  OptionArgument argument;
  const char* argumentName;  // as --help shows the value: "FILE", "SUFFIX"; nullptr for a switch
  const char* argumentNeed;  // what a missing argument is, for the usage error: "a file name"
  const char* needs;         // the long name of an option it is of no use without, or nullptr
  ApplyOption apply;         // nullptr for a mode's option, which chooses `mode`
  const char* help;          // its paragraph in --help
  const ModeRow* mode;       // the mode it chooses, or nullptr
};

// Every option, in the order --help lists them: the options that modes
// take, then the modes' own, then --help and --version.
const std::vector<OptionRow>& optionTable();

// The option whose long name is exactly `longName`, or nullptr.
const OptionRow* optionNamed(const std::string& longName);

// The option as a usage error or --help names it: "--rules".
std::string optionName(const OptionRow& row);

}  // namespace vantrel::cli

#endif  // VANTREL_CLI_OPTIONS_OPTION_TABLE_H_
