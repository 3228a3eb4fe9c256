#ifndef VANTREL_CLI_OPTIONS_OPTION_TABLE_H_
#define VANTREL_CLI_OPTIONS_OPTION_TABLE_H_

#include <optional>
#include <string>
#include <vector>

#include "cli/options/cli_options.h"

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

// One option of the command line. The parser knows nothing but this table, so
// an option is added as one row (and a paragraph of the usage text).
struct OptionRow {
  const char* longName;  // without the leading "--"
  char shortName;        // '\0' when it has none
  OptionArgument argument;
  const char* argumentNeed;  // what a missing argument is, for the usage error: "a file name"
  ApplyOption apply;
};

// Every option, in the order --help lists them.
const std::vector<OptionRow>& optionTable();

}  // namespace vantrel::cli

#endif  // VANTREL_CLI_OPTIONS_OPTION_TABLE_H_
