// Names in any script: both programs, kept in a folder with a Greek name
// (so fix.dat's path is not ASCII either), repair a movie whose name is
// Greek and Japanese, and show that name as it is.

#include <cstdint>
#include <string>

#include "tests/wine/cases.h"
#include "tests/wine/cli_kit.h"
#include "tests/wine/result_flow.h"
#include "tests/wine/sample_cases.h"
#include "tests/wine/window_probe.h"

namespace vantrel::wine {
namespace {

using moviekit::expectedAfterFix;
using moviekit::fixText;
using moviekit::readFile;

// The strings below are UTF-8, as the driver's own code page is.
constexpr char kProgramFolder[] = "prog Ωμέγα";
constexpr char kMovieFolder[] = "ムービー";
constexpr char kMovieName[] = "Ωmega ムービー.qlm";
constexpr wchar_t kWideTitle[] = L"Vantrel - \u03A9mega \u30E0\u30FC\u30D3\u30FC.qlm";

std::string putMovieInItsFolder(const CaseSetup& setup, const Bytes& bytes) {
  const std::string folder = setup.moviesDir + kMovieFolder + "\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string path = folder + kMovieName;
  moviekit::writeFile(path, bytes);
  return path;
}

void windowsProgramTakesAnyName(const DriverOptions& options, Check& check) {
  const CaseSetup setup = setUpCase(options.exePath, check, kProgramFolder);
  const MovieAndRules sample = mixedMovie();
  writeRules(setup, fixText(sample.rules));
  const std::string path = putMovieInItsFolder(setup, sample.movie.bytes);
  std::uint64_t fixCount = 0;
  const Bytes expected = expectedAfterFix(sample.movie, sample.rules, &fixCount);

  VantrelRun run(setup, "\"" + path + "\"", check);
  // Read in UTF-16 as well, so that the check does not rest on the code
  // page that driver and program share.
  HWND progress = run.waitForWindow(anyProgressWindow(), kPatience);
  if (check.that(progress != nullptr, "the progress window appears")) {
    wchar_t title[256] = L"";
    GetWindowTextW(progress, title, 256);
    check.that(std::wstring(title) == kWideTitle, "the title names the movie in UTF-16 as well");
  }
  // The result box covers the title; moved down, it leaves the title in sight.
  HWND box = run.waitForWindow(messageBoxTitled("Vantrel"), kPatience);
  if (box != nullptr) {
    SetWindowPos(box, nullptr, 0, 160, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  expectCompletion(run, kMovieName, fixCount, sample.movie.chunkCount, "done", check);
  check.sameBytes(readFile(path), expected, "the movie after the run");
}

void commandLineProgramTakesAnyName(const DriverOptions& options, Check& check) {
  const CaseSetup setup = setUpCase(options.exePath, check, kProgramFolder);
  const std::string cli = putCliBesideProgram(setup, options.cliPath, check);
  const MovieAndRules sample = mixedMovie();
  writeRules(setup, fixText(sample.rules));
  const std::string path = putMovieInItsFolder(setup, sample.movie.bytes);
  std::uint64_t fixCount = 0;
  const Bytes expected = expectedAfterFix(sample.movie, sample.rules, &fixCount);

  const CliRun run = runCli(cli, "--list \"" + path + "\"", setup.folder, check);
  check.equal(run.exitCode.value_or(99), 0ul, "exit code");
  const std::string out = withLineFeeds(run.out);
  check.that(out.find(path + ": 0x") != std::string::npos, "the list names the movie's path in UTF-8: " + out);
  check.that(out.find(completionText(kMovieName, fixCount)) != std::string::npos,
             "the report names the movie in UTF-8: " + out);
  check.sameBytes(readFile(path), expected, "the movie after the run");
}

}  // namespace

std::vector<WineCase> unicodeCases() {
  return {
      {"unicode-names", windowsProgramTakesAnyName},
      {"unicode-names-cli", commandLineProgramTakesAnyName},
  };
}

}  // namespace vantrel::wine
