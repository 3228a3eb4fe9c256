// A movie of 4 GiB, sparse, in each program: every fix lands at its offset
// past 2 GiB and up to 0xFFFFFFF0, and nothing else is written, not even
// into the holes (the file's allocated size stays as it was).

#include <cstdint>
#include <functional>
#include <string>

#include "tests/support/large_movie.h"
#include "tests/wine/cases.h"
#include "tests/wine/cli_kit.h"
#include "tests/wine/result_flow.h"

namespace vantrel::wine {
namespace {

using moviekit::LargeMovie;

// What the file system holds for the file: Wine tells the blocks that the
// file has on disk, which a write into a hole would add to.
std::uint64_t allocatedSize(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  FILE_STANDARD_INFO info{};
  const bool known = file != INVALID_HANDLE_VALUE &&
                     GetFileInformationByHandleEx(file, FileStandardInfo, &info, sizeof info) != 0;
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  return known ? static_cast<std::uint64_t>(info.AllocationSize.QuadPart) : ~std::uint64_t{0};
}

// Puts the file on the disk, so that the blocks its extents need are counted.
bool flushToDisk(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  const bool flushed = file != INVALID_HANDLE_VALUE && FlushFileBuffers(file) != 0;
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  return flushed;
}

// Lays the movie out, lets `repair` run a program on it, checks the file
// and deletes it.
void repairLargeMovie(const CaseSetup& setup, Check& check,
                      const std::function<void(const std::string&, std::uint64_t)>& repair) {
  const LargeMovie movie = moviekit::largeMovie();
  writeRules(setup, moviekit::fixText(movie.rules));
  const std::string path = setup.moviesDir + "large.qlm";
  moviekit::writeLargeMovie(path, movie);
  check.that(flushToDisk(path), "flush the movie");
  const std::uint64_t allocated = allocatedSize(path);
  if (!check.that(allocated < (std::uint64_t{16} << 20),
                  "the movie is sparse: " + std::to_string(allocated) + " bytes allocated")) {
    DeleteFileA(path.c_str());
    return;
  }
  repair(path, movie.fixed.size());
  check.equal(moviekit::firstDifference(path, moviekit::piecesAfterFix(movie)), std::string(),
              "the movie's written pieces after the run");
  check.equal(allocatedSize(path), allocated, "bytes allocated after the run");
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (check.that(GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) != 0, "stat")) {
    check.equal(std::uint64_t{data.nFileSizeHigh} << 32 | data.nFileSizeLow, movie.size, "size");
  }
  check.that(DeleteFileA(path.c_str()) != 0, "delete the movie");
}

void windowsProgramRepairsLargeMovie(const DriverOptions& options, Check& check) {
  const CaseSetup setup = setUpCase(options.exePath, check);
  repairLargeMovie(setup, check, [&](const std::string& path, std::uint64_t fixCount) {
    VantrelRun run(setup, "\"" + path + "\"", check);
    expectCompletion(run, "large.qlm", fixCount, moviekit::largeMovie().chunkCount, "done", check);
  });
}

void commandLineProgramRepairsLargeMovie(const DriverOptions& options, Check& check) {
  const CaseSetup setup = setUpCase(options.exePath, check);
  const std::string cli = putCliBesideProgram(setup, options.cliPath, check);
  repairLargeMovie(setup, check, [&](const std::string& path, std::uint64_t fixCount) {
    const CliRun run = runCli(cli, "\"" + path + "\"", setup.folder, check);
    check.equal(run.exitCode.value_or(99), 0ul, "exit code");
    check.equal(withLineFeeds(run.out), completionText("large.qlm", fixCount) + "\n", "report");
    check.equal(run.err, std::string(), "standard error");
  });
}

}  // namespace

std::vector<WineCase> largeCases() {
  return {
      {"large-movie", windowsProgramRepairsLargeMovie},
      {"large-movie-cli", commandLineProgramRepairsLargeMovie},
  };
}

}  // namespace vantrel::wine
