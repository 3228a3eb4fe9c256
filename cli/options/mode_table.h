#ifndef VANTREL_CLI_OPTIONS_MODE_TABLE_H_
#define VANTREL_CLI_OPTIONS_MODE_TABLE_H_

#include <string>
#include <vector>

#include "cli/options/cli_options.h"

namespace vantrel::cli {

// What a mode reads from the words that are not options.
enum class Operands {
  None,    // nothing: a movie or a list of movies is a usage error
  Movies,  // one movie or more, from the command line or --files-from
  Pairs,   // paths in pairs, GOOD DAMAGED
};

// One thing the program can do. The repair is done when no mode's option is
// given; the others are chosen by their option, and at most one of them may
// be. A mode takes only the options it names here: any other is a usage
// error, and --help lists, for each mode, exactly these. A new mode is one
// row here (and its action in main.cpp).
struct ModeRow {
  const char* option;  // its option's long name, without "--"; nullptr for the repair
  CliAction action;
  Operands operands;
  std::vector<const char*> takes;  // the long names of the options it uses besides its own
  const char* help;                // its option's paragraph in --help; nullptr for the repair
};

// Every mode, the repair first, in the order --help lists them.
const std::vector<ModeRow>& modeTable();

// The mode of a command line that names none.
const ModeRow& repairMode();

// Whether `mode` uses the option whose long name is `longName`.
bool modeTakes(const ModeRow& mode, const std::string& longName);

}  // namespace vantrel::cli

#endif  // VANTREL_CLI_OPTIONS_MODE_TABLE_H_
