#ifndef VANTREL_CLI_PLATFORM_CONSOLE_STREAMS_H_
#define VANTREL_CLI_PLATFORM_CONSOLE_STREAMS_H_

#include <istream>
#include <optional>
#include <ostream>
#include <string>

namespace vantrel::cli {

// The program's standard input, read as bytes (for lists of movies); its
// standard output and error, ready for the front end's UTF-8 text; and
// whether standard error is a terminal that can show the progress bar
// (which redraws its line with a carriage return and an erase-line code).
struct ConsoleStreams {
  std::istream& in;
  std::ostream& out;
  std::ostream& err;
  bool errIsTerminal;
  // Why some of standard output could not be written, as its buffer last
  // knew it: flush `out` first. Empty while all of it went out.
  const std::optional<std::string>& outFailure;
};

// Sets up the streams once, at start-up. On POSIX it also ignores SIGPIPE,
// so that a reader that goes away costs the report and never a repair, and
// it gives a closed standard descriptor /dev/null, so that no movie opened
// later can take its number and receive the report.
ConsoleStreams openConsoleStreams();

// From here on, standard output (when it is not a console) takes bytes as
// they are: a line feed is not turned into CR LF, so a rule whose tag holds
// a line feed keeps its four bytes.
void writeStandardOutputAsBytes();

}  // namespace vantrel::cli

#endif  // VANTREL_CLI_PLATFORM_CONSOLE_STREAMS_H_
