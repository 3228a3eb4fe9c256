// vantrel-cli.exe --suggest-rules: an archive found with -r in a Windows
// folder and named in a --files-from list, a movie that is not valid told
// and passed over, the rules written as bytes (a tag holding a line feed
// keeps its four bytes), and Vantrel.exe repairing the damaged movie with
// them.

#include <string>

#include "tests/support/movie_builder.h"
#include "tests/wine/cases.h"
#include "tests/wine/cli_kit.h"
#include "tests/wine/result_flow.h"

namespace vantrel::wine {
namespace {

moviekit::BuiltMovie archiveMovie(bool damaged) {
  return moviekit::MovieBuilder(23)
      .addActr({damaged ? 4410u : 44100u, "SND ", 12})
      .addTdt({damaged ? 1u : 2u, "AB\nC", 7})
      .addGroupChunk(kTagGgst, {{4, moviekit::Reference{0xFFFFFFFFu, "PAL ", 2}, {}}})
      .build();
}

void cliSuggestedRulesRepairInVantrelExe(const DriverOptions& options, Check& check) {
  const CaseSetup setup = setUpCase(options.exePath, check);
  const std::string cli = putCliBesideProgram(setup, options.cliPath, check);
  const moviekit::BuiltMovie good = archiveMovie(false), bad = archiveMovie(true);
  std::string list;
  for (const char* name : {"a1.qlm", "a2.qlm", "a3.qlm", "a4.qlm", "a5.qlm", "a6.qlm"}) {
    list += putMovie(setup, name, good.bytes) + "\r\n";
  }
  const std::string badPath = putMovie(setup, "b.qlm", bad.bytes);
  list += badPath + "\r\n";

  // The folder without its trailing backslash, which would quote the quote;
  // 44100 is held by 6 of the 7 movies, 86 percent.
  const std::string folder = setup.moviesDir.substr(0, setup.moviesDir.size() - 1);
  const CliRun suggested =
      runCli(cli, "--suggest-rules --agreement=85 -r \"" + folder + "\"", setup.folder, check);
  check.equal(suggested.exitCode.value_or(99), 0ul, "exit code");
  check.equal(suggested.out, std::string("-SND  12 4410 44100\n-AB\nC 7 1 2\n"),
              "the rules, with no CR before any line feed");
  check.equal(withLineFeeds(suggested.err),
              "'SND ' 12: 4410 in 1 of 7 movies (1 reference), 44100 in 6 (6 references); first "
              "held by " +
                  badPath +
                  "\n'AB\\x0aC' 7: 1 in 1 of 7 movies (1 reference), 2 in 6 (6 references); first "
                  "held by " +
                  badPath +
                  "\nvantrel-cli: 7 movies read, 3 tags and numbers seen, 2 with more than one "
                  "value; 2 suggestions; 0 problems\n",
              "standard error");
  check.sameBytes(moviekit::readFile(badPath), bad.bytes, "the damaged movie, not written");

  // The same archive from a list with CR LF line ends, and a movie that is
  // not valid, which is told and adds nothing.
  moviekit::Bytes notValid = good.bytes;
  notValid[0] = 'X';
  list += putMovie(setup, "broken.qlm", notValid) + "\r\n";
  const CliRun listed =
      runCli(cli, "--suggest-rules --agreement 85 --files-from -", setup.folder, check, list);
  check.equal(listed.exitCode.value_or(99), 3ul, "exit code with a movie that is not valid");
  check.equal(listed.out, suggested.out, "the rules from the list");
  check.that(
      withLineFeeds(listed.err).find("broken.qlm: Not a valid QELM file\n") != std::string::npos,
      "the movie that is not valid is told: " + listed.err);

  writeRules(setup, suggested.out);
  VantrelRun run(setup, "\"" + badPath + "\"", check);
  expectCompletion(run, "b.qlm", 2, bad.chunkCount, "suggested-rules", check);
  check.sameBytes(moviekit::readFile(badPath), good.bytes, "the repaired movie");
}

}  // namespace

std::vector<WineCase> cliSuggestCases() {
  return {{"cli-suggest-rules", cliSuggestedRulesRepairInVantrelExe}};
}

}  // namespace vantrel::wine
