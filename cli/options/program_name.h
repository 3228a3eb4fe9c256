#ifndef VANTREL_CLI_OPTIONS_PROGRAM_NAME_H_
#define VANTREL_CLI_OPTIONS_PROGRAM_NAME_H_

#include <string>

namespace vantrel::cli {

// The name the program was invoked by, for its messages: `argv0` without its
// folder and without ".exe" (in any letter case); "vantrel" when the system
// gives none.
std::string programNameFrom(const char* argv0);

}  // namespace vantrel::cli

#endif  // VANTREL_CLI_OPTIONS_PROGRAM_NAME_H_
