#ifndef VANTREL_CLI_CONSOLE_STREAMS_H_
#define VANTREL_CLI_CONSOLE_STREAMS_H_

#include <ostream>

namespace vantrel::cli {

// The program's standard output and error, ready for the front end's UTF-8
// text, and whether standard error is a terminal that can show the progress
// bar (which redraws its line with a carriage return and an erase-line code).
struct ConsoleStreams {
  std::ostream& out;
  std::ostream& err;
  bool errIsTerminal;
};

// Sets up the two streams once, at start-up.
ConsoleStreams openConsoleStreams();

}  // namespace vantrel::cli

#endif  // VANTREL_CLI_CONSOLE_STREAMS_H_
