#ifndef VANTREL_TESTS_WINE_CASES_H_
#define VANTREL_TESTS_WINE_CASES_H_

#include <cstdint>
#include <string>
#include <vector>

#include "tests/wine/case_kit.h"

namespace vantrel::wine {

// What a case is given: the 64-bit programs it runs, every built program
// whose resources it may read, and for the full-disk case a small disk.
struct DriverOptions {
  std::string exePath;
  std::string cliPath;  // the command-line program, vantrel-cli.exe
  std::vector<std::string> resourceExePaths;
  std::string fullDiskDir;  // a folder, with its trailing backslash, on a disk to fill up
  // Chunks enough that a walk is still going after a few messages and
  // screenshots, and ends within the cases' patience.
  std::uint32_t busyChunks = 10000;
};

struct WineCase {
  const char* name;
  void (*run)(const DriverOptions& options, Check& check);
};

// The cases of each group, in the order they run.
std::vector<WineCase> runCases();
std::vector<WineCase> failureCases();
std::vector<WineCase> dialogCases();
std::vector<WineCase> resourceCases();
std::vector<WineCase> diskCases();
std::vector<WineCase> cliCases();
std::vector<WineCase> cliBatchCases();
std::vector<WineCase> cliDeriveCases();
std::vector<WineCase> cliSuggestCases();
std::vector<WineCase> unicodeCases();
std::vector<WineCase> largeCases();
std::vector<WineCase> longPathCases();
// Runs only where the runner has installed the Windows installer first.
std::vector<WineCase> installerCases();

}  // namespace vantrel::wine

#endif  // VANTREL_TESTS_WINE_CASES_H_
