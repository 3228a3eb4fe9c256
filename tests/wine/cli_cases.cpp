// The command-line program for Windows, vantrel-cli.exe: a repair with its
// list and report, and the exit code and message of each way a run can end.

#include <cstdint>
#include <string>
#include <vector>

#include "tests/wine/cases.h"
#include "tests/wine/cli_kit.h"
#include "tests/wine/result_flow.h"
#include "tests/wine/sample_cases.h"
#include "vantrel_version.h"

namespace vantrel::wine {
namespace {

using moviekit::expectedAfterFix;
using moviekit::fixText;
using moviekit::readFile;

std::size_t countLines(const std::string& text, const std::string& start) {
  std::size_t count = 0;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = text.find('\n', at);
    if (text.compare(at, start.size(), start) == 0) ++count;
    if (end == std::string::npos) break;
    at = end + 1;
  }
  return count;
}

// fix.dat beside the program is the one read without --rules; a second run
// finds nothing more to fix.
void cliRepairsAndReports(const DriverOptions& options, Check& check) {
  const CaseSetup setup = setUpCase(options.exePath, check);
  const std::string cli = putCliBesideProgram(setup, options.cliPath, check);
  const MovieAndRules sample = mixedMovie();
  writeRules(setup, fixText(sample.rules));
  const std::string path = putMovie(setup, "a film.qlm", sample.movie.bytes);
  std::uint64_t fixCount = 0;
  const Bytes expected = expectedAfterFix(sample.movie, sample.rules, &fixCount);

  const CliRun first = runCli(cli, "--list \"" + path + "\"", setup.folder, check);
  check.equal(first.exitCode.value_or(99), 0ul, "exit code");
  check.that(first.out.find("\r\n") != std::string::npos, "standard output is text, with CR LF");
  const std::string out = withLineFeeds(first.out);
  check.equal(countLines(out, path + ": 0x"), fixCount, "one listed line per fix");
  check.that(out.size() >= completionText("a film.qlm", fixCount).size() &&
                 out.compare(out.size() - completionText("a film.qlm", fixCount).size() - 1,
                             std::string::npos, completionText("a film.qlm", fixCount) + "\n") == 0,
             "the report ends the output: " + out);
  check.equal(first.err, std::string(), "standard error");
  check.sameBytes(readFile(path), expected, "the movie after the run");

  const CliRun second = runCli(cli, "\"" + path + "\"", setup.folder, check);
  check.equal(second.exitCode.value_or(99), 0ul, "exit code of the second run");
  check.equal(withLineFeeds(second.out), completionText("a film.qlm", 0) + "\n", "second report");
  check.sameBytes(readFile(path), expected, "the movie after the second run");
}

struct ExitCase {
  const char* what;
  std::string arguments;  // after the program's name; MOVIE stands for the movie's path
  DWORD exitCode;
  const char* errorText;  // found on standard error; empty: nothing there
  bool movieChanges;
};

void cliExitCodes(const DriverOptions& options, Check& check) {
  const CaseSetup setup = setUpCase(options.exePath, check);
  const std::string cli = putCliBesideProgram(setup, options.cliPath, check);
  const MovieAndRules sample = mixedMovie();
  const std::string rules = setup.folder + "rules.dat";
  const std::string ruleText = fixText(sample.rules);
  moviekit::writeFile(rules, Bytes(ruleText.begin(), ruleText.end()));
  const std::string notAMovie = putMovie(setup, "notes.qlm", Bytes{'C', 'H', 'N', '1', 0, 0, 0, 0});
  const Bytes fixed = expectedAfterFix(sample.movie, sample.rules);

  const std::vector<ExitCase> cases = {
      {"no fix.dat beside the program", "MOVIE", 1, "Cannot open fix data file", false},
      {"a rule file that is missing", "--rules missing.dat MOVIE", 1, "Cannot open fix data file",
       false},
      {"an unknown option", "--rules rules.dat --bogus MOVIE", 2, "unknown option", false},
      {"no movie", "--rules rules.dat", 2, "no movie", false},
      {"a file that is no movie", "--rules rules.dat \"" + notAMovie + "\" MOVIE", 3,
       "Not a valid QELM file", true},
      {"a movie that is missing", "--rules rules.dat gone.qlm MOVIE", 3, "Cannot open QELM file",
       true},
      {"a dry run", "--rules rules.dat --dry-run MOVIE", 0, "", false},
      {"a repair", "--rules=rules.dat MOVIE", 0, "", true},
  };
  int index = 0;
  for (const ExitCase& exitCase : cases) {
    const std::string path =
        putMovie(setup, "film" + std::to_string(index++) + ".qlm", sample.movie.bytes);
    std::string arguments = exitCase.arguments;
    const std::size_t movieAt = arguments.find("MOVIE");
    if (movieAt != std::string::npos) arguments.replace(movieAt, 5, "\"" + path + "\"");

    const CliRun run = runCli(cli, arguments, setup.folder, check);
    check.equal(run.exitCode.value_or(99), exitCase.exitCode,
                std::string(exitCase.what) + ": exit code");
    if (*exitCase.errorText == '\0') {
      check.equal(run.err, std::string(), std::string(exitCase.what) + ": standard error");
    } else {
      check.that(run.err.find(exitCase.errorText) != std::string::npos,
                 std::string(exitCase.what) + ": standard error says \"" + exitCase.errorText +
                     "\": " + run.err);
    }
    check.sameBytes(readFile(path), exitCase.movieChanges ? fixed : sample.movie.bytes,
                    std::string(exitCase.what) + ": the movie");
  }
}

// The Windows shell leaves "*.qlm" to the program: vantrel-cli.exe expands it
// in sorted order and keeps a pattern that matches nothing. Every message
// of its own names it as invoked, without ".exe"; and without fix.dat beside
// it, it finds the rules in %APPDATA%\Vantrel.
void cliWildcardsAndName(const DriverOptions& options, Check& check) {
  const CaseSetup setup = setUpCase(options.exePath, check);
  const std::string cli = putCliBesideProgram(setup, options.cliPath, check);
  const MovieAndRules sample = mixedMovie();
  const std::string appData = setup.folder + "appdata";
  CreateDirectoryA(appData.c_str(), nullptr);
  CreateDirectoryA((appData + "\\Vantrel").c_str(), nullptr);
  const std::string ruleText = fixText(sample.rules);
  moviekit::writeFile(appData + "\\Vantrel\\fix.dat", Bytes(ruleText.begin(), ruleText.end()));
  SetEnvironmentVariableA("APPDATA", appData.c_str());
  std::uint64_t fixCount = 0;
  const Bytes fixed = expectedAfterFix(sample.movie, sample.rules, &fixCount);
  const std::string b = putMovie(setup, "b.qlm", sample.movie.bytes);
  const std::string a = putMovie(setup, "A.QLM", sample.movie.bytes);
  const std::string other = putMovie(setup, "c.qlmx", sample.movie.bytes);

  const CliRun shown = runCli(cli, "--show-rules-path", setup.folder, check);
  check.equal(withLineFeeds(shown.out), appData + "\\Vantrel\\fix.dat\n", "--show-rules-path");
  const CliRun run =
      runCli(cli, "-q \"" + setup.moviesDir + "*.qlm\" none*.qlm", setup.folder, check);
  SetEnvironmentVariableA("APPDATA", nullptr);
  check.equal(run.exitCode.value_or(99), 3ul, "exit code");
  const std::string report = " problems found and fixed\n";
  check.equal(withLineFeeds(run.out),
              a + ": " + std::to_string(fixCount) + report + b + ": " + std::to_string(fixCount) +
                  report + "\n3 movies: 2 repaired, 1 failed; " + std::to_string(2 * fixCount) +
                  report,
              "the movies the pattern matches, in sorted order");
  check.that(withLineFeeds(run.err).rfind("none*.qlm: Cannot open QELM file.", 0) == 0,
             "a pattern that matches nothing is a missing movie: " + run.err);
  check.sameBytes(readFile(a), fixed, "A.QLM");
  check.sameBytes(readFile(b), fixed, "b.qlm");
  check.sameBytes(readFile(other), sample.movie.bytes, "c.qlmx, which *.qlm does not match");

  const CliRun help = runCli(cli, "--he", setup.folder, check);
  check.that(withLineFeeds(help.out).rfind("Usage: vantrel-cli [OPTION]... MOVIE...\n", 0) == 0,
             "--help names the program: " + help.out);
  check.equal(withLineFeeds(runCli(cli, "--version", setup.folder, check).out),
              std::string("vantrel-cli ") + VANTREL_VERSION_TEXT + "\n",
              "--version names the program");
  check.equal(withLineFeeds(runCli(cli, "-rx", setup.folder, check).err),
              std::string("vantrel-cli: unknown option '-x'\nTry 'vantrel-cli --help'.\n"),
              "a usage error names the program");
}

bool exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A suffix must make a name beside the movie: on Windows '\' and '/' lead
// into another folder and ':' into a stream of the movie itself, so each is
// a usage error, and nothing is written anywhere.
void cliSuffixesWithSeparators(const DriverOptions& options, Check& check) {
  const CaseSetup setup = setUpCase(options.exePath, check);
  const std::string cli = putCliBesideProgram(setup, options.cliPath, check);
  const MovieAndRules sample = mixedMovie();
  writeRules(setup, fixText(sample.rules));
  const std::string path = putMovie(setup, "a.qlm", sample.movie.bytes);
  for (const char* suffix : {"/../x", "\\..\\x", ":ads", ".bak:$DATA", "\\x", "/x"}) {
    const std::string what = std::string("--backup=") + suffix;
    const CliRun run = runCli(cli, what + " \"" + path + "\"", setup.folder, check);
    check.equal(run.exitCode.value_or(99), 2ul, what + ": exit code");
    check.that(run.err.find("a suffix may hold none of '/', '\\' and ':'") != std::string::npos,
               what + ": standard error says why: " + run.err);
    check.sameBytes(readFile(path), sample.movie.bytes, what + ": the movie");
  }
  check.that(!exists(setup.moviesDir + "x") && !exists(setup.folder + "x"),
             "no file was made outside the movie's folder");

  // A suffix without them works, and names its copy beside the movie.
  const CliRun good = runCli(cli, "--backup=.orig \"" + path + "\"", setup.folder, check);
  check.equal(good.exitCode.value_or(99), 0ul, "--backup=.orig: exit code");
  check.sameBytes(readFile(path + ".orig"), sample.movie.bytes, "--backup=.orig: the backup");
  check.sameBytes(readFile(path), expectedAfterFix(sample.movie, sample.rules),
                  "--backup=.orig: the movie");
}

// The system's reason follows "Cannot open QELM file", in the words and
// with the number Windows gives: a missing movie, and one that another
// program holds open without sharing it.
void cliTellsWhyAMovieCannotBeOpened(const DriverOptions& options, Check& check) {
  const CaseSetup setup = setUpCase(options.exePath, check);
  const std::string cli = putCliBesideProgram(setup, options.cliPath, check);
  const MovieAndRules sample = mixedMovie();
  writeRules(setup, fixText(sample.rules));
  const std::string path = putMovie(setup, "held.qlm", sample.movie.bytes);
  HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  check.that(held != INVALID_HANDLE_VALUE, "hold the movie open without sharing");
  const std::string opening = std::string(kCannotOpenMovieText) + " (";
  struct Case {
    std::string movie;
    const char* code;
  };
  for (const Case& c :
       {Case{setup.moviesDir + "gone.qlm", "(error 2))"}, Case{path, "(error 32))"}}) {
    const CliRun run = runCli(cli, "\"" + c.movie + "\"", setup.folder, check);
    check.equal(run.exitCode.value_or(99), 3ul, c.movie + ": exit code");
    check.that(
        run.err.find(c.movie + ": " + opening) == 0 && run.err.find(c.code) != std::string::npos,
        c.movie + ": standard error gives the reason " + c.code + ": " + run.err);
  }
  CloseHandle(held);
  check.sameBytes(readFile(path), sample.movie.bytes, "the movie held open");
}

// --journal keeps a record of each fix beside the movie, and --undo gives
// the movie its bytes back and removes the journal; a journal another run
// holds is left alone; without a journal, --undo fails for that movie.
void cliJournalAndUndo(const DriverOptions& options, Check& check) {
  const CaseSetup setup = setUpCase(options.exePath, check);
  const std::string cli = putCliBesideProgram(setup, options.cliPath, check);
  const MovieAndRules sample = mixedMovie();
  writeRules(setup, fixText(sample.rules));
  const std::string path = putMovie(setup, "a film.qlm", sample.movie.bytes);
  std::uint64_t fixCount = 0;
  const Bytes expected = expectedAfterFix(sample.movie, sample.rules, &fixCount);

  const CliRun repair = runCli(cli, "--journal \"" + path + "\"", setup.folder, check);
  check.equal(repair.exitCode.value_or(99), 0ul, "exit code of the repair");
  check.sameBytes(readFile(path), expected, "the movie after the repair");
  const Bytes journal = readFile(path + ".undo");
  const std::string journalText(journal.begin(), journal.end());
  check.equal(countLines(journalText, "{\"type\":\"fix\",\"movie\":"), fixCount,
              "one journal record per fix: " + journalText);

  // Another run holds the journal: its lock is one byte far past the end.
  HANDLE held = CreateFileA((path + ".undo").c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  OVERLAPPED lockAt{};
  lockAt.Offset = 0xFFFFFFFEu;
  lockAt.OffsetHigh = 0xFFFFFFFFu;
  check.that(
      held != INVALID_HANDLE_VALUE &&
          LockFileEx(held, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &lockAt),
      "the test holds the journal's lock");
  const CliRun busy = runCli(cli, "--undo \"" + path + "\"", setup.folder, check);
  check.equal(busy.exitCode.value_or(99), 3ul, "exit code of an undo of a journal in use");
  check.equal(withLineFeeds(busy.err),
              path + ": the journal " + path + ".undo is in use by another run\n",
              "says the journal is in use");
  check.sameBytes(readFile(path), expected, "the movie while its journal is in use");
  if (held != INVALID_HANDLE_VALUE) CloseHandle(held);

  const CliRun undo = runCli(cli, "--undo \"" + path + "\"", setup.folder, check);
  check.equal(undo.exitCode.value_or(99), 0ul, "exit code of the undo: " + undo.err);
  check.equal(withLineFeeds(undo.out), path + ": " + std::to_string(fixCount) + " fixes undone\n",
              "undo's report");
  check.sameBytes(readFile(path), sample.movie.bytes, "the movie after the undo");
  check.that(GetFileAttributesA((path + ".undo").c_str()) == INVALID_FILE_ATTRIBUTES,
             "the journal is removed");

  const CliRun again = runCli(cli, "--undo \"" + path + "\"", setup.folder, check);
  check.equal(again.exitCode.value_or(99), 3ul, "exit code of an undo without a journal");
  check.that(again.err.find("no journal") != std::string::npos, "says so: " + again.err);
}

// Where the rules are looked for, a folder named fix.dat holds none: the
// search passes over it, names it and its reason when nothing is found, and
// takes %PROGRAMDATA%'s rules after it. A file named with --rules is read
// whatever it is.
void cliRuleSearchPassesOverAFolder(const DriverOptions& options, Check& check) {
  const CaseSetup setup = setUpCase(options.exePath, check);
  const std::string cli = putCliBesideProgram(setup, options.cliPath, check);
  const MovieAndRules sample = mixedMovie();
  const std::string appData = setup.folder + "appdata";
  const std::string programData = setup.folder + "programdata";
  for (const std::string& folder : {appData, appData + "\\Vantrel", appData + "\\Vantrel\\fix.dat",
                                    programData, programData + "\\Vantrel"}) {
    CreateDirectoryA(folder.c_str(), nullptr);
  }
  SetEnvironmentVariableA("APPDATA", appData.c_str());
  SetEnvironmentVariableA("PROGRAMDATA", programData.c_str());
  const CliRun none = runCli(cli, "--show-rules-path", setup.folder, check);
  check.equal(none.exitCode.value_or(99), 1ul, "exit code without rules");
  check.that(withLineFeeds(none.err).find(
                 "  " + appData + "\\Vantrel\\fix.dat: is a directory\n") != std::string::npos,
             "the folder is named with its reason: " + none.err);
  check.that(withLineFeeds(none.err).find("  " + programData + "\\Vantrel\\fix.dat: ") !=
                 std::string::npos,
             "the search went on past it: " + none.err);

  const std::string ruleText = fixText(sample.rules);
  moviekit::writeFile(programData + "\\Vantrel\\fix.dat", Bytes(ruleText.begin(), ruleText.end()));
  const CliRun shown = runCli(cli, "--show-rules-path", setup.folder, check);
  check.equal(shown.exitCode.value_or(99), 0ul, "exit code");
  check.equal(withLineFeeds(shown.out), programData + "\\Vantrel\\fix.dat\n", "--show-rules-path");
  const std::string path = putMovie(setup, "a.qlm", sample.movie.bytes);
  const CliRun repaired = runCli(cli, "-q \"" + path + "\"", setup.folder, check);
  check.equal(repaired.exitCode.value_or(99), 0ul, "exit code of the repair");
  check.sameBytes(readFile(path), expectedAfterFix(sample.movie, sample.rules), "the movie");
  const CliRun named = runCli(cli, "--check-rules --rules \"" + appData + "\\Vantrel\\fix.dat\"",
                              setup.folder, check);
  check.equal(named.exitCode.value_or(99), 1ul, "a named folder cannot be read");
  SetEnvironmentVariableA("APPDATA", nullptr);
  SetEnvironmentVariableA("PROGRAMDATA", nullptr);
}

}  // namespace

std::vector<WineCase> cliCases() {
  return {
      {"cli-repair", cliRepairsAndReports},
      {"cli-exit-codes", cliExitCodes},
      {"cli-wildcards-and-name", cliWildcardsAndName},
      {"cli-suffix-separators", cliSuffixesWithSeparators},
      {"cli-open-reasons", cliTellsWhyAMovieCannotBeOpened},
      {"cli-journal-undo", cliJournalAndUndo},
      {"cli-rule-search-folder", cliRuleSearchPassesOverAFolder},
  };
}

}  // namespace vantrel::wine
