// vantrel-cli.exe over many movies at once: a folder tree walked with -r,
// whose names the program lists with the Windows calls and joins with
// backslashes, and a NUL-separated list read from a pipe on standard input.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/json_records.h"
#include "tests/wine/cases.h"
#include "tests/wine/cli_kit.h"
#include "tests/wine/result_flow.h"
#include "tests/wine/sample_cases.h"

namespace vantrel::wine {
namespace {

using moviekit::BuiltMovie;
using moviekit::expectedAfterFix;
using moviekit::fixText;
using moviekit::jsonPathText;
using moviekit::readFile;
using moviekit::resultRecord;
using moviekit::summaryRecord;

struct TreeFile {
  std::string path;
  Bytes bytes;  // as laid out
  Bytes fixed;  // as a correct repair leaves it
  std::uint64_t fixes;
  bool isMovie;  // named *.qlm in some letter case
};

void cliRecursiveTree(const DriverOptions& options, Check& check) {
  const CaseSetup setup = setUpCase(options.exePath, check);
  const std::string cli = putCliBesideProgram(setup, options.cliPath, check);
  const MovieAndRules mixed = mixedMovie();
  std::vector<moviekit::Rule> rules = mixed.rules;
  rules.push_back(manyChunkMovie(1).rules.front());
  writeRules(setup, fixText(rules));
  const std::string tree = setup.moviesDir + "tree";
  for (const char* folder : {"", "\\sub", "\\d.qlm"})
    CreateDirectoryA((tree + folder).c_str(), nullptr);

  // Every file holds a movie with fixes to make, each a different number,
  // so a file repaired that should not be, or a record for the wrong movie,
  // shows. "sub.qlm" comes before "sub\c.Qlm" only if the walk orders a
  // folder by its name and a backslash; "B.QLM" before "a.qlm" only by
  // bytes, and "Ωmega.qlm" last only by unsigned bytes.
  std::vector<TreeFile> files;
  const auto add = [&](const std::string& name, const BuiltMovie& movie, bool isMovie) {
    std::uint64_t fixes = 0;
    const Bytes fixed = expectedAfterFix(movie, rules, &fixes);
    files.push_back(
        {tree + "\\" + name, movie.bytes, isMovie ? fixed : movie.bytes, fixes, isMovie});
    moviekit::writeFile(files.back().path, movie.bytes);
  };
  add("a.qlm", manyChunkMovie(6).movie, true);
  add("a.qlmx", manyChunkMovie(15).movie, false);
  add("B.QLM", mixed.movie, true);
  add("d.qlm\\e.qlm", manyChunkMovie(9).movie, true);
  add("notes.txt", manyChunkMovie(18).movie, false);
  add("sub\\c.Qlm", manyChunkMovie(12).movie, true);
  add("sub.qlm", manyChunkMovie(3).movie, true);
  add("Ωmega.qlm", manyChunkMovie(21).movie, true);  // UTF-8, as the listing gives it
  TreeFile& a = files[0];
  const TreeFile& b = files[2];

  // Without -r the folder fails and the movie after it is still repaired.
  const CliRun plain = runCli(cli, "\"" + tree + "\" \"" + a.path + "\"", setup.folder, check);
  check.equal(plain.exitCode.value_or(99), 3ul, "without -r: exit code");
  check.equal(withLineFeeds(plain.err),
              tree + ": is a directory; -r repairs the movies (*.qlm) beneath it\n",
              "without -r: standard error");
  const std::string summary =
      "2 movies: 1 repaired, 1 failed; " + std::to_string(a.fixes) + " problems found and fixed\n";
  check.equal(withLineFeeds(plain.out),
              a.path + ": " + std::to_string(a.fixes) + " problems found and fixed\n\n" + summary,
              "without -r: the movie's one-line report, then the summary");
  for (const TreeFile& file : files) {
    check.sameBytes(readFile(file.path), &file == &a ? a.fixed : file.bytes,
                    "without -r: " + file.path);
  }
  a.fixes = 0;

  // A heading, then one line for each reference the walk reaches (decoys
  // are not), by the offset of its value word; nothing is written.
  const CliRun listing = runCli(cli, "--references \"" + b.path + "\"", setup.folder, check);
  check.equal(listing.exitCode.value_or(99), 0ul, "--references: exit code");
  std::string offsets, expectedOffsets = "offset    \n";
  for (const auto& placed : mixed.movie.references) {
    char offset[16];
    std::snprintf(offset, sizeof offset, "0x%08llx\n",
                  static_cast<unsigned long long>(placed.offset));
    if (placed.patchable) expectedOffsets += offset;
  }
  const std::string out = withLineFeeds(listing.out), prefix = b.path + ": ";
  for (std::size_t at = 0; (at = out.find(prefix, at)) != std::string::npos; at += prefix.size()) {
    if (at == 0 || out[at - 1] == '\n') offsets += out.substr(at + prefix.size(), 10) + "\n";
  }
  check.equal(offsets, expectedOffsets, "--references: the lines naming the movie");
  check.that(out.find("Number of problems that would be fixed: " + std::to_string(b.fixes)) !=
                 std::string::npos,
             "--references: the dry run's report: " + out);
  check.sameBytes(readFile(b.path), b.bytes, "--references: the movie");

  // With -r: the movies, in the byte order of their whole paths.
  std::vector<std::pair<std::string, std::uint64_t>> movies;
  std::uint64_t fixes = 0;
  for (const TreeFile& file : files) {
    if (!file.isMovie) continue;
    movies.emplace_back(file.path, file.fixes);
    fixes += file.fixes;
  }
  std::sort(movies.begin(), movies.end());
  std::string expected;
  for (const auto& [path, count] : movies)
    expected += resultRecord(jsonPathText(path), "Done", count);
  expected += summaryRecord(movies.size(), movies.size(), 0, fixes);
  const CliRun walk = runCli(cli, "-r --json \"" + tree + "\"", setup.folder, check);
  check.equal(walk.exitCode.value_or(99), 0ul, "-r: exit code");
  check.equal(walk.err, std::string(), "-r: standard error");
  check.equal(withLineFeeds(walk.out), expected, "-r: the records");
  for (const TreeFile& file : files)
    check.sameBytes(readFile(file.path), file.fixed, "-r: " + file.path);
}

// The list comes through a pipe, as from another program. Binary input
// matters: read as text, CR LF would come as LF and Ctrl-Z would end the
// list before the last movie.
void cliFilesFromStandardInput(const DriverOptions& options, Check& check) {
  const CaseSetup setup = setUpCase(options.exePath, check);
  const std::string cli = putCliBesideProgram(setup, options.cliPath, check);
  writeRules(setup, fixText(manyChunkMovie(1).rules));
  const std::string blank = "movies\\with blank.qlm";  // relative to the run's folder
  const std::string unicode = setup.moviesDir + "Ωμέγα ムービー.qlm";  // UTF-8, as the code page
  const std::string gone = "gone\r\n\x1A.qlm";  // no file may have control characters in its name
  const BuiltMovie first = manyChunkMovie(6).movie, second = manyChunkMovie(9).movie;
  moviekit::writeFile(setup.folder + blank, first.bytes);
  moviekit::writeFile(unicode, second.bytes);
  const std::vector<moviekit::Rule> rules = manyChunkMovie(1).rules;
  std::uint64_t firstFixes = 0, secondFixes = 0;
  const Bytes firstFixed = expectedAfterFix(first, rules, &firstFixes);
  const Bytes secondFixed = expectedAfterFix(second, rules, &secondFixes);

  const std::string list = blank + '\0' + '\0' + gone + '\0' + unicode + '\0';
  const CliRun run = runCli(cli, "--json --null --files-from -", setup.folder, check, list);
  check.equal(run.exitCode.value_or(99), 3ul, "exit code");
  // The missing movie's record ends with the system's reason, whose words
  // are Windows' own: it must be there, and the rest must be exact.
  std::string out = withLineFeeds(run.out);
  const std::size_t errorAt = out.find(",\"error\":\"");
  const std::size_t errorEnd = out.find("\"}", errorAt);
  check.that(errorAt != std::string::npos && errorEnd > errorAt + 10,
             "the failed movie's record tells why: " + out);
  if (errorAt != std::string::npos && errorEnd != std::string::npos) {
    out.erase(errorAt, errorEnd + 1 - errorAt);
  }
  check.equal(out,
              resultRecord(jsonPathText(blank), "Done", firstFixes) +
                  resultRecord(jsonPathText(gone), "CannotOpen", 0) +
                  resultRecord(jsonPathText(unicode), "Done", secondFixes) +
                  summaryRecord(3, 2, 1, firstFixes + secondFixes),
              "the records");
  check.that(run.err.find(kCannotOpenMovieText) != std::string::npos,
             "standard error tells of the missing movie: " + run.err);
  check.sameBytes(readFile(setup.folder + blank), firstFixed, "the movie with a blank");
  check.sameBytes(readFile(unicode), secondFixed, "the movie with a Greek and Japanese name");
}

}  // namespace

std::vector<WineCase> cliBatchCases() {
  return {
      {"cli-recursive", cliRecursiveTree},
      {"cli-files-from-stdin", cliFilesFromStandardInput},
  };
}

}  // namespace vantrel::wine
