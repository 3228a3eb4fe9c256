// vantrel_wine_driver: the Windows side of the end-to-end tests. Runs one
// case against Vantrel.exe or vantrel-cli.exe in the current folder and
// reports it.
//
//   vantrel_wine_driver list
//   vantrel_wine_driver run CASE --exe PATH --cli PATH [--resources PATH]...
//                           [--full-disk FOLDER] [--busy-chunks N] [--screenshots]
//
// Exit code 0 when the case passed, 1 when a check failed, 2 on bad usage.

#include <iostream>
#include <string>
#include <vector>

#include "tests/wine/cases.h"

namespace {

using vantrel::wine::WineCase;

std::vector<WineCase> allCases() {
  std::vector<WineCase> cases;
  for (const auto& group :
       {vantrel::wine::runCases(), vantrel::wine::failureCases(), vantrel::wine::dialogCases(),
        vantrel::wine::resourceCases(), vantrel::wine::diskCases(), vantrel::wine::cliCases(),
        vantrel::wine::cliBatchCases(), vantrel::wine::cliDeriveCases(),
        vantrel::wine::cliSuggestCases(), vantrel::wine::unicodeCases(),
        vantrel::wine::largeCases(), vantrel::wine::longPathCases(), vantrel::wine::installerCases()}) {
    cases.insert(cases.end(), group.begin(), group.end());
  }
  return cases;
}

int usage() {
  std::cerr << "usage: vantrel_wine_driver list\n"
               "       vantrel_wine_driver run CASE --exe PATH --cli PATH [--resources PATH]... "
               "[--full-disk FOLDER] [--busy-chunks N] [--screenshots]\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 1 && args[0] == "list") {
    for (const WineCase& wineCase : allCases()) std::cout << wineCase.name << '\n';
    return 0;
  }
  if (args.size() < 2 || args[0] != "run") return usage();

  vantrel::wine::DriverOptions options;
  for (std::size_t i = 2; i < args.size(); ++i) {
    if (args[i] == "--exe" && i + 1 < args.size()) {
      options.exePath = args[++i];
    } else if (args[i] == "--cli" && i + 1 < args.size()) {
      options.cliPath = args[++i];
    } else if (args[i] == "--resources" && i + 1 < args.size()) {
      options.resourceExePaths.push_back(args[++i]);
    } else if (args[i] == "--full-disk" && i + 1 < args.size()) {
      options.fullDiskDir = args[++i];
      if (!options.fullDiskDir.empty() && options.fullDiskDir.back() != '\\') {
        options.fullDiskDir += '\\';
      }
    } else if (args[i] == "--busy-chunks" && i + 1 < args.size()) {
      options.busyChunks = static_cast<std::uint32_t>(std::stoul(args[++i]));
    } else if (args[i] == "--screenshots") {
      vantrel::wine::enableScreenshots();
    } else {
      return usage();
    }
  }
  if (options.exePath.empty() || options.cliPath.empty()) return usage();

  for (const WineCase& wineCase : allCases()) {
    if (args[1] != wineCase.name) continue;
    vantrel::wine::Check check;
    wineCase.run(options, check);
    std::cout << (check.failures() == 0 ? "PASS " : "FAIL ") << wineCase.name << std::endl;
    return check.failures() == 0 ? 0 : 1;
  }
  std::cerr << "no case named " << args[1] << '\n';
  return 2;
}
