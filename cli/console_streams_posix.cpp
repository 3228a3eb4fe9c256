#include <unistd.h>

#include <iostream>

#include "cli/console_streams.h"

namespace vantrel::cli {

// Terminals here take UTF-8 and the erase-line code as they come.
ConsoleStreams openConsoleStreams() {
  return ConsoleStreams{std::cin, std::cout, std::cerr, isatty(2) != 0};
}

// Text and bytes are the same here.
void writeStandardOutputAsBytes() {}

}  // namespace vantrel::cli
