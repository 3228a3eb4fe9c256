#ifndef VANTREL_CLI_OPTIONS_USAGE_TEXT_H_
#define VANTREL_CLI_OPTIONS_USAGE_TEXT_H_

#include <string>

namespace vantrel::cli {

// The text of --help, made from the modes and options tables: a usage line
// for each mode with the options it takes, and a paragraph for each option.
// `programName` is the program as it was invoked, for the usage lines.
std::string usageTextFor(const std::string& programName);

}  // namespace vantrel::cli

#endif  // VANTREL_CLI_OPTIONS_USAGE_TEXT_H_
