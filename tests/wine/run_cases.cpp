// Runs that reach the end of the movie: the quoted command line, a bad rule
// line, a movie of many chunks, and attempts to break a run off.

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

void quotedPathWithMoreText(const DriverOptions& options, Check& check) {
  const CaseSetup setup = setUpCase(options.exePath, check);
  const MovieAndRules sample = mixedMovie();
  writeRules(setup, fixText(sample.rules));
  const std::string path = putMovie(setup, "a film.qlm", sample.movie.bytes);
  std::uint64_t fixCount = 0;
  const Bytes expected = expectedAfterFix(sample.movie, sample.rules, &fixCount);
  check.that(fixCount >= 8, "the sample has fixes to make");

  VantrelRun run(setup, "\"" + path + "\" /x \"" + setup.moviesDir + "other.qlm\"", check);
  expectCompletion(run, "a film.qlm", fixCount, sample.movie.chunkCount, "done", check);
  check.sameBytes(readFile(path), expected, "the movie after the run");
  check.that(!fileExists(setup.moviesDir + "other.qlm"), "text after the quoted path is ignored");
}

void noFixesStillCompletes(const DriverOptions& options, Check& check) {
  const CaseSetup setup = setUpCase(options.exePath, check);
  const MovieAndRules sample = mixedMovie();
  writeRules(setup, fixText({{"NONE", 1, 2, 3}, {"BGND", 4, 0x12345678, 1}}));
  const std::string path = putMovie(setup, "clean.qlm", sample.movie.bytes);

  VantrelRun run(setup, "\"" + path + "\"", check);
  expectCompletion(run, "clean.qlm", 0, sample.movie.chunkCount, "done-zero", check);
  check.sameBytes(readFile(path), sample.movie.bytes, "the movie after the run");
}

void badRuleLineWarnsThenUsesTheRulesBefore(const DriverOptions& options, Check& check) {
  const CaseSetup setup = setUpCase(options.exePath, check);
  const MovieAndRules sample = mixedMovie();
  const std::vector<moviekit::Rule> before(sample.rules.begin(), sample.rules.begin() + 2);
  const std::vector<moviekit::Rule> after(sample.rules.begin() + 2, sample.rules.end());
  writeRules(setup, fixText(before) + "-SPRT one 51 12339\n" + fixText(after));
  const std::string path = putMovie(setup, "warned.qlm", sample.movie.bytes);
  std::uint64_t fixCount = 0;
  const Bytes expected = expectedAfterFix(sample.movie, before, &fixCount);

  VantrelRun run(setup, "\"" + path + "\"", check);
  HWND warning = run.waitForWindow(messageBoxTitled("Warning"), kPatience);
  if (!check.that(warning != nullptr, "the Warning box appears")) return;
  check.equal(
      messageBoxText(warning),
      std::string("Bad rule in fix.dat at line 3. The rules from that line on are not used."),
      "warning text");
  check.that(ownerOf(warning) == nullptr, "the Warning box has no owner");
  check.that(showsIcon(warning), "the Warning box shows an icon");
  check.equal(visibleWindowsOf(run.processId()).size(), 1u,
              "nothing but the warning shows before it is dismissed");
  screenshot("warning", check);
  pressButton(warning, IDOK);

  expectCompletion(run, "warned.qlm", fixCount, sample.movie.chunkCount, "done", check);
  check.sameBytes(readFile(path), expected, "the movie after the run");
}

void manyChunksRunToTheEnd(const DriverOptions& options, Check& check) {
  const CaseSetup setup = setUpCase(options.exePath, check);
  const MovieAndRules sample = manyChunkMovie(10000);
  writeRules(setup, fixText(sample.rules));
  const std::string path = putMovie(setup, "long.qlm", sample.movie.bytes);
  std::uint64_t fixCount = 0;
  const Bytes expected = expectedAfterFix(sample.movie, sample.rules, &fixCount);

  VantrelRun run(setup, "\"" + path + "\"", check);
  expectCompletion(run, "long.qlm", fixCount, sample.movie.chunkCount, "done", check);
  check.sameBytes(readFile(path), expected, "the movie after the run");
}

// Escape and the close box, while the walk is still going: neither may end
// the window, so the run goes on to its result.
void escapeAndCloseChangeNothing(const DriverOptions& options, Check& check) {
  const CaseSetup setup = setUpCase(options.exePath, check);
  const MovieAndRules sample = manyChunkMovie(options.busyChunks);
  writeRules(setup, fixText(sample.rules));
  const std::string path = putMovie(setup, "busy.qlm", sample.movie.bytes);
  std::uint64_t fixCount = 0;
  const Bytes expected = expectedAfterFix(sample.movie, sample.rules, &fixCount);

  VantrelRun run(setup, "\"" + path + "\"", check);
  const auto walkGoing = [](HWND window) {
    if (!isProgressWindow(window)) return false;
    const auto bar = readBar(progressBarOf(window));
    return bar && bar->position > 0;
  };
  HWND progress = run.waitForWindow(walkGoing, kPatience);
  if (!check.that(progress != nullptr, "the progress window shows the walk going")) return;

  PostMessageA(progress, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  PostMessageA(progress, WM_KEYUP, VK_ESCAPE, 0xC0010001);
  DWORD_PTR reply = 0;
  SendMessageTimeoutA(progress, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0, SMTO_NORMAL, 10000,
                      &reply);
  SendMessageTimeoutA(progress, WM_SYSCOMMAND, SC_CLOSE, 0, SMTO_NORMAL, 10000, &reply);
  SendMessageTimeoutA(progress, WM_CLOSE, 0, 0, SMTO_NORMAL, 10000, &reply);
  screenshot("after-escape", check);
  const auto bar = readBar(progressBarOf(progress));
  check.that(bar && bar->position < static_cast<int>(sample.movie.chunkCount),
             "the walk was still going when Escape and the close box came");
  check.that(IsWindow(progress) && IsWindowVisible(progress), "the progress window stays");

  expectCompletion(run, "busy.qlm", fixCount, sample.movie.chunkCount, "done", check);
  check.sameBytes(readFile(path), expected, "the movie after the run");
}

}  // namespace

std::vector<WineCase> runCases() {
  return {
      {"quoted-path", quotedPathWithMoreText},
      {"no-fixes", noFixesStillCompletes},
      {"bad-rule-line", badRuleLineWarnsThenUsesTheRulesBefore},
      {"many-chunks", manyChunksRunToTheEnd},
      {"escape-and-close", escapeAndCloseChangeNothing},
  };
}

}  // namespace vantrel::wine
