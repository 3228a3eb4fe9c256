// A command line without a quoted path: the open-file dialog asks for the
// movie.

#include <cstdint>

#include "tests/wine/cases.h"
#include "tests/wine/result_flow.h"
#include "tests/wine/sample_cases.h"
#include "tests/wine/window_probe.h"

namespace vantrel::wine {
namespace {

using moviekit::expectedAfterFix;
using moviekit::fixText;
using moviekit::readFile;

// Controls of the explorer-style open-file dialog.
constexpr int kFileNameBox = 0x47C;
constexpr int kFileTypeBox = 0x470;

HWND waitForOpenDialog(VantrelRun& run, Check& check) {
  HWND dialog = run.waitForWindow(dialogTitled("Open QELM File"), kPatience);
  if (!check.that(dialog != nullptr, "the \"Open QELM File\" dialog appears")) return nullptr;
  check.that(ownerOf(dialog) == nullptr, "the dialog has no owner");
  check.equal(windowText(GetDlgItem(dialog, kFileNameBox)), std::string(), "file name on entry");
  check.equal(windowText(GetDlgItem(dialog, kFileTypeBox)), std::string("Qelmos (*.qlm)"), "file type");
  return dialog;
}

void unquotedPathAsksAndCancelEnds(const DriverOptions& options, Check& check) {
  const CaseSetup setup = setUpCase(options.exePath, check);
  const MovieAndRules sample = mixedMovie();
  writeRules(setup, fixText(sample.rules));
  const std::string path = putMovie(setup, "plain.qlm", sample.movie.bytes);

  VantrelRun run(setup, path, check);
  HWND dialog = waitForOpenDialog(run, check);
  if (dialog == nullptr) return;
  screenshot("open-dialog", check);
  pressButton(dialog, IDCANCEL);

  const auto exitCode = run.waitForExit(kPatience);
  if (check.that(exitCode.has_value(), "the program ends after Cancel")) {
    check.equal(*exitCode, 0ul, "exit code");
  }
  check.sameBytes(readFile(path), sample.movie.bytes, "the movie");
}

void movieChosenInTheDialogIsPatched(const DriverOptions& options, Check& check) {
  const CaseSetup setup = setUpCase(options.exePath, check);
  const MovieAndRules sample = mixedMovie();
  writeRules(setup, fixText(sample.rules));
  const std::string path = putMovie(setup, "chosen one.qlm", sample.movie.bytes);
  std::uint64_t fixCount = 0;
  const Bytes expected = expectedAfterFix(sample.movie, sample.rules, &fixCount);

  VantrelRun run(setup, "", check);
  HWND dialog = waitForOpenDialog(run, check);
  if (dialog == nullptr) return;
  DWORD_PTR reply = 0;
  SendMessageTimeoutA(GetDlgItem(dialog, kFileNameBox), WM_SETTEXT, 0,
                      reinterpret_cast<LPARAM>(path.c_str()), SMTO_NORMAL, 10000, &reply);
  screenshot("open-dialog-filled", check);
  pressButton(dialog, IDOK);

  expectCompletion(run, "chosen one.qlm", fixCount, sample.movie.chunkCount, "done", check);
  check.sameBytes(readFile(path), expected, "the movie after the run");
}

}  // namespace

std::vector<WineCase> dialogCases() {
  return {
      {"open-dialog-cancel", unquotedPathAsksAndCancelEnds},
      {"open-dialog-choose", movieChosenInTheDialogIsPatched},
  };
}

}  // namespace vantrel::wine
