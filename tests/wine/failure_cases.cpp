// Runs that end in an error: no fix.dat, movies that cannot be opened for
// writing (missing, read-only, held by another program, a name past the
// path limit) or are no movies, and a movie that another program holds but
// shares.

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

void missingRulesEndTheProgram(const DriverOptions& options, Check& check) {
  const CaseSetup setup = setUpCase(options.exePath, check);
  const MovieAndRules sample = mixedMovie();
  // A fix.dat in the current folder is not the one beside the program.
  moviekit::writeFile(setup.folder + "fix.dat", Bytes{'-', 'B', 'G', 'N', 'D', ' ', '4', ' ', '1', ' ', '2', '\n'});
  const std::string path = putMovie(setup, "untouched.qlm", sample.movie.bytes);

  // An empty command line would ask for a movie, if the rules had loaded.
  VantrelRun run(setup, "", check);
  HWND box = run.waitForWindow(messageBoxTitled("Error"), kPatience);
  if (!check.that(box != nullptr, "the error box appears")) return;
  check.equal(messageBoxText(box), std::string("Cannot open fix data file"), "error text");
  check.that(ownerOf(box) == nullptr, "the box has no owner");
  check.that(showsIcon(box), "the box shows an icon");
  check.equal(visibleWindowsOf(run.processId()).size(), 1u, "no other window is shown");
  screenshot("no-rules", check);
  pressButton(box, IDOK);

  const auto exitCode = run.waitForExit(kPatience);
  if (check.that(exitCode.has_value(), "the program ends after OK")) {
    check.equal(*exitCode, 1ul, "exit code");
  }
  check.sameBytes(readFile(path), sample.movie.bytes, "the movie");
}

void emptyQuotedPathCannotBeOpened(const DriverOptions& options, Check& check) {
  const CaseSetup setup = setUpCase(options.exePath, check);
  writeRules(setup, fixText(mixedMovie().rules));
  VantrelRun run(setup, "\"\" \"" + setup.moviesDir + "ignored.qlm\"", check);
  expectErrorBox(run, "", kCannotOpenMovieText, "cannot-open", check);
}

void missingMovieCannotBeOpened(const DriverOptions& options, Check& check) {
  const CaseSetup setup = setUpCase(options.exePath, check);
  writeRules(setup, fixText(mixedMovie().rules));
  const std::string path = setup.moviesDir + "gone.qlm";
  VantrelRun run(setup, "\"" + path, check);  // no closing quote: the path runs to the end
  expectErrorBox(run, "gone.qlm", kCannotOpenMovieText, "cannot-open", check);
  check.that(!fileExists(path), "the missing movie is not created");
}

void longNameOverflowsNothing(const DriverOptions& options, Check& check) {
  const CaseSetup setup = setUpCase(options.exePath, check);
  writeRules(setup, fixText(mixedMovie().rules));
  const std::string name = std::string(300, 'n') + ".qlm";
  VantrelRun run(setup, "\"" + setup.moviesDir + name + "\"", check);
  expectErrorBox(run, name, kCannotOpenMovieText, "cannot-open", check);
}

// Needs a user whom the file system holds to the read-only flag: as root,
// Wine opens the file for writing all the same.
void readOnlyMovieCannotBeOpened(const DriverOptions& options, Check& check) {
  const CaseSetup setup = setUpCase(options.exePath, check);
  const MovieAndRules sample = mixedMovie();
  writeRules(setup, fixText(sample.rules));
  const std::string path = putMovie(setup, "locked.qlm", sample.movie.bytes);
  check.that(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY) != 0, "mark the movie read-only");
  HANDLE probe = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, 0, nullptr);
  if (!check.that(probe == INVALID_HANDLE_VALUE,
                  "the read-only movie refuses writing (run this case as an unprivileged user)")) {
    CloseHandle(probe);
    return;
  }

  VantrelRun run(setup, "\"" + path + "\"", check);
  expectErrorBox(run, "locked.qlm", kCannotOpenMovieText, "cannot-open", check);
  check.sameBytes(readFile(path), sample.movie.bytes, "the movie");
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

void movieWithoutMagicIsNotValid(const DriverOptions& options, Check& check) {
  const CaseSetup setup = setUpCase(options.exePath, check);
  const MovieAndRules sample = mixedMovie();
  writeRules(setup, fixText(sample.rules));
  Bytes bytes = sample.movie.bytes;
  bytes[3] = '1';  // "CHN1"
  const std::string path = putMovie(setup, "other.qlm", bytes);

  VantrelRun run(setup, "\"" + path + "\"", check);
  expectErrorBox(run, "other.qlm", kNotValidText, "not-valid", check);
  check.sameBytes(readFile(path), bytes, "the file");
}

// Another program holds the movie open for reading; `share` is what it lets
// others do meanwhile.
HANDLE holdOpen(const std::string& path, DWORD share, Check& check) {
  HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
  check.that(held != INVALID_HANDLE_VALUE, "open the movie in the driver");
  return held;
}

void movieHeldWithoutWriteSharingCannotBeOpened(const DriverOptions& options, Check& check) {
  const CaseSetup setup = setUpCase(options.exePath, check);
  const MovieAndRules sample = mixedMovie();
  writeRules(setup, fixText(sample.rules));
  const std::string path = putMovie(setup, "in use.qlm", sample.movie.bytes);
  HANDLE held = holdOpen(path, FILE_SHARE_READ, check);

  VantrelRun run(setup, "\"" + path + "\"", check);
  expectErrorBox(run, "in use.qlm", kCannotOpenMovieText, "cannot-open", check);
  CloseHandle(held);
  check.sameBytes(readFile(path), sample.movie.bytes, "the movie");
}

void movieHeldWithSharingIsPatched(const DriverOptions& options, Check& check) {
  const CaseSetup setup = setUpCase(options.exePath, check);
  const MovieAndRules sample = mixedMovie();
  writeRules(setup, fixText(sample.rules));
  const std::string path = putMovie(setup, "shared.qlm", sample.movie.bytes);
  std::uint64_t fixCount = 0;
  const Bytes expected = expectedAfterFix(sample.movie, sample.rules, &fixCount);
  HANDLE held = holdOpen(path, FILE_SHARE_READ | FILE_SHARE_WRITE, check);

  VantrelRun run(setup, "\"" + path + "\"", check);
  expectCompletion(run, "shared.qlm", fixCount, sample.movie.chunkCount, "done", check);

  // The holder reads the repaired movie through its own handle.
  Bytes seen(expected.size() + 1);
  DWORD got = 0;
  check.that(ReadFile(held, seen.data(), static_cast<DWORD>(seen.size()), &got, nullptr) != 0,
             "read through the held handle");
  seen.resize(got);
  check.sameBytes(seen, expected, "the movie as its holder sees it");
  CloseHandle(held);
  check.sameBytes(readFile(path), expected, "the movie after the run");
}

}  // namespace

std::vector<WineCase> failureCases() {
  return {
      {"no-fix-dat", missingRulesEndTheProgram},
      {"empty-quoted-path", emptyQuotedPathCannotBeOpened},
      {"missing-movie", missingMovieCannotBeOpened},
      {"long-name", longNameOverflowsNothing},
      {"read-only-movie", readOnlyMovieCannotBeOpened},
      {"not-valid", movieWithoutMagicIsNotValid},
      {"held-deny-write", movieHeldWithoutWriteSharingCannotBeOpened},
      {"held-shared-read", movieHeldWithSharingIsPatched},
  };
}

}  // namespace vantrel::wine
