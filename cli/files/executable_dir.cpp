#include "cli/files/executable_dir.h"

#include "cli/platform/running_program.h"
#include "movie/path_parts.h"

namespace vantrel::cli {

std::string executableDirectory(const char* argv0) {
  std::string program = runningProgramPath();
  if (program.empty() && argv0 != nullptr) program = argv0;
  // Either slash: argv[0] on Windows may hold both.
  return program.substr(0, lastPartStart(program, "/\\"));
}

}  // namespace vantrel::cli
