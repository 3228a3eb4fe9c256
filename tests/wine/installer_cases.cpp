// What the Windows installer leaves for its user, once the runner has
// installed it in the case's prefix: the verb on .qlm files, run as
// Explorer runs it, with the installed program and the user's fix.dat.

#include <cstdint>
#include <optional>
#include <string>

#include "tests/wine/cases.h"
#include "tests/wine/result_flow.h"
#include "tests/wine/sample_cases.h"

namespace vantrel::wine {
namespace {

using moviekit::expectedAfterFix;
using moviekit::fixText;
using moviekit::readFile;

constexpr char kVerbKey[] = "Software\\Classes\\SystemFileAssociations\\.qlm\\shell\\VantrelRepair";

std::optional<std::string> registryText(const std::string& key) {
  char data[2048];
  DWORD size = sizeof data;
  if (RegGetValueA(HKEY_CURRENT_USER, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, data, &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  return std::string(data);
}

std::string environmentText(const char* name) {
  char value[MAX_PATH];
  const DWORD length = GetEnvironmentVariableA(name, value, MAX_PATH);
  return std::string(value, length < MAX_PATH ? length : 0);
}

void installedVerbRepairs(const DriverOptions& options, Check& check) {
  check.equal(registryText(kVerbKey).value_or("(none)"), std::string("Repair with Vantrel"),
              "the verb's text");
  const std::optional<std::string> command = registryText(std::string(kVerbKey) + "\\command");
  if (!check.that(command.has_value(), "the verb has a command")) return;
  const std::string programDir = environmentText("LOCALAPPDATA") + "\\Programs\\Vantrel\\";
  if (!check.equal(*command, "\"" + programDir + "Vantrel.exe\" \"%1\"", "the verb's command")) {
    return;
  }
  const CaseSetup setup = setUpInstalledCase(programDir);
  check.sameBytes(readFile(setup.programPath), readFile(options.exePath),
                  "the installed Vantrel.exe against the zip's");

  // The user's rules beside the installed programs, a movie of their own.
  const MovieAndRules sample = mixedMovie();
  writeRules(setup, fixText(sample.rules));
  const std::string path = putMovie(setup, "a film.qlm", sample.movie.bytes);
  std::uint64_t fixCount = 0;
  const Bytes expected = expectedAfterFix(sample.movie, sample.rules, &fixCount);

  std::string commandLine = *command;
  commandLine.replace(commandLine.find("%1"), 2, path);
  VantrelRun run(commandLine, setup.moviesDir, check);
  expectCompletion(run, "a film.qlm", fixCount, sample.movie.chunkCount, "done", check);
  check.sameBytes(readFile(path), expected, "the movie after the repair");
}

}  // namespace

std::vector<WineCase> installerCases() { return {{"installed-verb", installedVerbRepairs}}; }

}  // namespace vantrel::wine
