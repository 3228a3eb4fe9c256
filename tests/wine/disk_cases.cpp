// A movie on a full disk: a sparse file on a small tmpfs that the runner
// mounts (as root) and names with --full-disk. Fixes whose value word lies
// in a written page land; those in a hole cannot be written.

#include "tests/support/sparse_movie.h"
#include "tests/wine/cases.h"
#include "tests/wine/result_flow.h"
#include "tests/wine/window_probe.h"

namespace vantrel::wine {
namespace {

using moviekit::readFile;

// Takes every page still free on the disk of `folder` into a file.
void fillDisk(const std::string& folder, Check& check) {
  HANDLE filler = CreateFileA((folder + "filler").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (!check.that(filler != INVALID_HANDLE_VALUE, "make a file to fill the disk")) return;
  const std::string page(4096, 'f');
  DWORD written = 0;
  while (WriteFile(filler, page.data(), static_cast<DWORD>(page.size()), &written, nullptr) &&
         written > 0) {
  }
  CloseHandle(filler);
}

void fullDiskShowsEachBoxOnce(const DriverOptions& options, Check& check) {
  if (!check.that(!options.fullDiskDir.empty(), "the runner names a full-disk folder")) return;
  const CaseSetup setup = setUpCase(options.exePath, check);
  SYSTEM_INFO system;
  GetSystemInfo(&system);
  const moviekit::SparseMovie sparse = moviekit::sparseMovie(system.dwPageSize);
  writeRules(setup, moviekit::fixText(sparse.rules));
  const std::string path = options.fullDiskDir + "sparse.qlm";
  moviekit::writeSparseFile(path, sparse);
  fillDisk(options.fullDiskDir, check);

  VantrelRun run(setup, "\"" + path + "\"", check);
  // The first fix that fails shows "??" at once, owned by no window, while
  // the progress window stays up; the later failures show nothing more.
  HWND box = run.waitForWindow(messageBoxTitled("??"), kPatience);
  if (!check.that(box != nullptr, "the \"??\" box appears")) return;
  check.equal(messageBoxText(box), std::string("??"), "its text");
  check.that(ownerOf(box) == nullptr, "the \"??\" box has no owner");
  check.that(!showsIcon(box), "the \"??\" box shows no icon");
  check.equal(visibleWindowsOf(run.processId()).size(), 2u,
              "windows shown: the progress window and the box");
  screenshot("write-failed-box", check);
  pressButton(box, IDOK);

  const ResultSeen seen = finishRun(run, "Error", "Vantrel - sparse.qlm", "write-failed", check);
  if (seen.shown) {
    check.equal(seen.text, std::string(kCannotSaveText), "error text");
    check.equal(seen.bar.position, static_cast<int>(sparse.movie.chunkCount),
                "progress position at the end");
  }
  check.sameBytes(readFile(path), moviekit::withLandingFixes(sparse),
                  "the movie: the fixes in written pages made, those in holes not");
}

}  // namespace

std::vector<WineCase> diskCases() { return {{"full-disk", fullDiskShowsEachBoxOnce}}; }

}  // namespace vantrel::wine
