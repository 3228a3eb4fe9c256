#ifndef VANTREL_TESTS_WINE_CLI_KIT_H_
#define VANTREL_TESTS_WINE_CLI_KIT_H_

#include <windows.h>

#include <optional>
#include <string>

#include "tests/wine/case_kit.h"

// Runs of the command-line program, vantrel-cli.exe, to their end.
namespace vantrel::wine {

struct CliRun {
  std::optional<DWORD> exitCode;  // empty when it did not end in time
  std::string out;                // standard output, as the bytes came
  std::string err;                // standard error
};

// Starts "`cliPath`" followed by a space and `arguments` with an exact
// command line, in `folder`, with standard output and error written to
// files there, and waits for it to end. Standard input is NUL, or with
// `standardInput` a pipe that carries those bytes and is then closed.
CliRun runCli(const std::string& cliPath, const std::string& arguments, const std::string& folder,
              Check& check, const std::optional<std::string>& standardInput = std::nullopt);

// Copies `cliPath` beside Vantrel.exe in the case's program folder and
// returns where it lies.
std::string putCliBesideProgram(const CaseSetup& setup, const std::string& cliPath, Check& check);

// `text` with each CR LF pair as the LF it stands for: the program's
// standard output is a text stream.
std::string withLineFeeds(const std::string& text);

}  // namespace vantrel::wine

#endif  // VANTREL_TESTS_WINE_CLI_KIT_H_
