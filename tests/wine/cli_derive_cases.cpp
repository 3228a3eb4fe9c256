// vantrel-cli.exe --derive-rules: the rules it writes on standard output are
// bytes, so a tag holding a line feed keeps its four bytes, and Vantrel.exe
// repairs the damaged movie with them into its good copy.

#include <string>

#include "tests/support/movie_builder.h"
#include "tests/wine/cases.h"
#include "tests/wine/cli_kit.h"
#include "tests/wine/result_flow.h"

namespace vantrel::wine {
namespace {

moviekit::BuiltMovie pairMovie(bool damaged) {
  return moviekit::MovieBuilder(41)
      .addActr({damaged ? 4410u : 44100u, "SND ", 12})
      .addTdt({damaged ? 1u : 2u, "AB\nC", 7})
      .addGroupChunk(kTagGgst, {{4, moviekit::Reference{0xFFFFFFFFu, "PAL ", 2}, {}}})
      .build();
}

void cliDerivedRulesRepairInVantrelExe(const DriverOptions& options, Check& check) {
  const CaseSetup setup = setUpCase(options.exePath, check);
  const std::string cli = putCliBesideProgram(setup, options.cliPath, check);
  const moviekit::BuiltMovie good = pairMovie(false), bad = pairMovie(true);
  const std::string goodPath = putMovie(setup, "good.qlm", good.bytes);
  const std::string badPath = putMovie(setup, "bad.qlm", bad.bytes);

  const CliRun derived =
      runCli(cli, "--derive-rules \"" + goodPath + "\" \"" + badPath + "\"", setup.folder, check);
  check.equal(derived.exitCode.value_or(99), 0ul, "exit code");
  check.equal(derived.out, std::string("-SND  12 4410 44100\n-AB\nC 7 1 2\n"),
              "the rules, with no CR before any line feed");
  check.equal(
      withLineFeeds(derived.err),
      std::string("vantrel-cli: 3 references compared, 2 differ; 2 rules written; 0 problems\n"),
      "standard error");
  check.sameBytes(moviekit::readFile(badPath), bad.bytes, "the damaged movie, not written");

  writeRules(setup, derived.out);
  VantrelRun run(setup, "\"" + badPath + "\"", check);
  expectCompletion(run, "bad.qlm", 2, bad.chunkCount, "derived-rules", check);
  check.sameBytes(moviekit::readFile(badPath), good.bytes, "the repaired movie");
}

}  // namespace

std::vector<WineCase> cliDeriveCases() {
  return {{"cli-derive-rules", cliDerivedRulesRepairInVantrelExe}};
}

}  // namespace vantrel::wine
