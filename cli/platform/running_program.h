#ifndef VANTREL_CLI_PLATFORM_RUNNING_PROGRAM_H_
#define VANTREL_CLI_PLATFORM_RUNNING_PROGRAM_H_

#include <string>

namespace vantrel::cli {

// The path of the running program's own file, as the system tells it;
// empty where it cannot.
std::string runningProgramPath();

}  // namespace vantrel::cli

#endif  // VANTREL_CLI_PLATFORM_RUNNING_PROGRAM_H_
