#ifndef VANTREL_CLI_OPTIONS_OPTION_CHECKS_H_
#define VANTREL_CLI_OPTIONS_OPTION_CHECKS_H_

#include <string>
#include <vector>

#include "cli/options/cli_options.h"
#include "cli/options/option_table.h"

namespace vantrel::cli {

// Why a command line whose options were read into `options`, `given` being
// each option as it came (once for each time), cannot be run; empty when it
// can. In this order: two modes; an option its mode does not take; a movie
// (or a list of them) for a mode that takes none; an option without the one
// it needs; the movies its mode needs; --backup and --journal naming one file.
std::string commandLineProblem(const CliOptions& options,
                               const std::vector<const OptionRow*>& given);

}  // namespace vantrel::cli

#endif  // VANTREL_CLI_OPTIONS_OPTION_CHECKS_H_
