// Paths longer than the 260 characters of MAX_PATH: a movie deep in a
// folder tree given to Vantrel.exe on its command line, and to
// vantrel-cli.exe by name with --backup and --journal, beneath a folder
// with -r, and in a list, itself deep, with --files-from. The driver makes the folders with
// the wide functions, which take long paths where the "A" ones may not.

#include <cstdint>
#include <string>

#include "tests/wine/cases.h"
#include "tests/wine/cli_kit.h"
#include "tests/wine/result_flow.h"
#include "tests/wine/sample_cases.h"

namespace vantrel::wine {
namespace {

using moviekit::expectedAfterFix;
using moviekit::fixText;
using moviekit::readFile;

// A folder some 330 characters deep beneath the case's movies folder, made
// of names of 50 characters; its path ends with a backslash.
std::string deepFolder(const CaseSetup& setup, Check& check) {
  std::string folder = setup.moviesDir;
  for (char letter = 'a'; letter <= 'f'; ++letter) {
    folder += std::string(50, letter) + "\\";
    const std::wstring wide(folder.begin(), folder.end());  // ASCII only
    check.that(CreateDirectoryW(wide.c_str(), nullptr) != 0, "make the folder " + folder);
  }
  check.that(folder.size() > 300, "the folder's path is longer than MAX_PATH");
  return folder;
}

void windowsProgramTakesLongPath(const DriverOptions& options, Check& check) {
  const CaseSetup setup = setUpCase(options.exePath, check);
  const MovieAndRules sample = mixedMovie();
  writeRules(setup, fixText(sample.rules));
  const std::string path = deepFolder(setup, check) + "deep.qlm";
  moviekit::writeFile(path, sample.movie.bytes);
  std::uint64_t fixCount = 0;
  const Bytes expected = expectedAfterFix(sample.movie, sample.rules, &fixCount);

  VantrelRun run(setup, "\"" + path + "\"", check);
  expectCompletion(run, "deep.qlm", fixCount, sample.movie.chunkCount, "done", check);
  check.sameBytes(readFile(path), expected, "the movie after the run");
}

void commandLineProgramTakesLongPaths(const DriverOptions& options, Check& check) {
  const CaseSetup setup = setUpCase(options.exePath, check);
  const std::string cli = putCliBesideProgram(setup, options.cliPath, check);
  const MovieAndRules sample = mixedMovie();
  writeRules(setup, fixText(sample.rules));
  const std::string deep = deepFolder(setup, check);
  const Bytes expected = expectedAfterFix(sample.movie, sample.rules);
  const auto expectRepair = [&](const CliRun& run, const std::string& path,
                                const std::string& how) {
    check.equal(run.exitCode.value_or(99), 0ul, how + ": exit code");
    check.that(run.out.find("deep.qlm") != std::string::npos, how + ": the report: " + run.out);
    check.equal(run.err, std::string(), how + ": standard error");
    check.sameBytes(readFile(path), expected, how + ": the movie");
  };

  const std::string named = deep + "deep.qlm";
  moviekit::writeFile(named, sample.movie.bytes);
  expectRepair(runCli(cli, "--backup --journal \"" + named + "\"", setup.folder, check), named,
               "--backup --journal");
  const std::string backup = named + ".bak";
  if (check.that(GetFileAttributesW(std::wstring(backup.begin(), backup.end()).c_str()) !=
                     INVALID_FILE_ATTRIBUTES,
                 "the backup exists")) {
    check.sameBytes(readFile(backup), sample.movie.bytes, "the backup");
  }

  const std::string beneath = deep + "tree\\deep.qlm";
  const std::wstring tree(deep.begin(), deep.end());
  check.that(CreateDirectoryW((tree + L"tree").c_str(), nullptr) != 0, "make the tree");
  moviekit::writeFile(beneath, sample.movie.bytes);
  expectRepair(runCli(cli, "-r \"" + deep + "tree\"", setup.folder, check), beneath, "-r");

  const std::string listed = deep + "listed\\deep.qlm";
  check.that(CreateDirectoryW((tree + L"listed").c_str(), nullptr) != 0, "make the list's folder");
  moviekit::writeFile(listed, sample.movie.bytes);
  const std::string list = deep + "listed\\movies.txt";
  moviekit::writeFile(list, Bytes(listed.begin(), listed.end()));
  expectRepair(runCli(cli, "--files-from \"" + list + "\"", setup.folder, check), listed,
               "--files-from");
}

}  // namespace

std::vector<WineCase> longPathCases() {
  return {
      {"long-path", windowsProgramTakesLongPath},
      {"long-path-cli", commandLineProgramTakesLongPaths},
  };
}

}  // namespace vantrel::wine
