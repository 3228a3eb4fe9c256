// vantrel --references and --json, end to end, against the plain model of
// the walk: every reference the walk reads, the fixes it makes, and what
// it says of each movie.
#include <gtest/gtest.h>

#include <random>

#include "tests/support/cli_program_fixture.h"
#include "tests/support/json_records.h"
#include "tests/support/model_walk.h"
#include "tests/support/random_movies.h"
#include "tests/support/sample_movies.h"

namespace vantrel {
namespace {

using namespace moviekit;

std::string referenceRecord(const std::string& movie, const ModelReference& reference,
                            const std::vector<FixRule>& rules) {
  std::string outcome = "no-rule";
  std::string line = "null";
  if (reference.rule) {
    const FixRule& rule = rules[*reference.rule];
    outcome = reference.value == rule.oldValue   ? "fix"
              : reference.value == rule.newValue ? "already-fixed"
                                                 : "other-value";
    line = std::to_string(rule.line);
  }
  return "{\"type\":\"reference\",\"movie\":" + jsonText(movie) +
         ",\"offset\":" + std::to_string(reference.valueOffset) +
         ",\"chunk\":" + std::to_string(reference.chunk) +
         ",\"chunkTag\":" + jsonBytes(reference.chunkTag) +
         ",\"element\":" + (reference.element ? std::to_string(*reference.element) : "null") +
         ",\"tag\":" + jsonBytes(reference.tag) + ",\"number\":" + signedText(reference.number) +
         ",\"value\":" + signedText(reference.value) + ",\"outcome\":\"" + outcome +
         "\",\"line\":" + line + "}\n";
}

// What a run over the one movie ends with, as the model walked it.
std::string resultRecords(const std::string& movie, const ModelWalk& model, bool dryRun) {
  const bool done = model.result == WalkResult::Done;
  return resultRecord(jsonText(movie), done ? "Done" : "NotValid", model.fixCount, dryRun,
                      done ? "" : "Not a valid QELM file") +
         summaryRecord(1, done ? 1 : 0, done ? 0 : 1, model.fixCount);
}

using ReferencesTest = ProgramTest;

TEST_F(ReferencesTest, JsonRecordsMatchTheModelOnRandomMovies) {
  std::mt19937 random(6101);
  const std::string moviePath = path("m.qlm");
  int references = 0;
  for (int i = 0; i < 60; ++i) {
    const Scenario scenario = randomScenario(random);
    const Bytes bytes = damagedInTurn(scenario, i, random);
    writeFile(moviePath, bytes);
    writeText("fix.dat", fixText(scenario.rules));
    const std::vector<FixRule> rules = toFixRules(scenario.rules);
    SCOPED_TRACE("scenario " + std::to_string(i) + ", rules:\n" + fixText(scenario.rules));

    const ModelWalk looked = modelWalk(bytes, rules, /*dryRun=*/true);
    std::string expected;
    for (const ModelReference& reference : looked.references) {
      expected += referenceRecord(moviePath, reference, rules);
    }
    expected += resultRecords(moviePath, looked, true);
    const RunResult listed = run({"--references", "--json", "--rules", path("fix.dat"), moviePath});
    ASSERT_EQ(listed.out, expected);
    EXPECT_EQ(listed.exitCode, looked.result == WalkResult::Done ? 0 : 3);
    ASSERT_EQ(readFile(moviePath), bytes) << "--references wrote to the movie";
    references += static_cast<int>(looked.references.size());

    const ModelWalk repaired = modelWalk(bytes, rules);
    expected.clear();
    for (const ModelFix& fix : repaired.fixes) expected += fixRecord(moviePath, fix, rules);
    expected += resultRecords(moviePath, repaired, false);
    const RunResult fixed = run({"--list", "--json", "--rules", path("fix.dat"), moviePath});
    ASSERT_EQ(fixed.out, expected);
    ASSERT_EQ(readFile(moviePath), repaired.bytes);
  }
  EXPECT_GT(references, 150);  // or the comparison proves little
}

TEST_F(ReferencesTest, TextLinesLineUpUnderTheirHeading) {
  writeFile(path("demo.qlm"), demoMovie().bytes);
  writeText("fix.dat", fixText(demoRules()));
  const RunResult result = run({"--references", "--rules", path("fix.dat"), path("demo.qlm")});
  EXPECT_EQ(result.exitCode, 0);
  const std::string m = path("demo.qlm") + ": ";
  EXPECT_EQ(
      result.out,
      m +
          "offset      chunk        element  tag         number       value  outcome        "
          "rule\n" +
          m +
          "0x00000050      1 'ACTR'       -  'SND '          12        4410  fix            line "
          "1\n" +
          m +
          "0x00000080      2 'ACTR'       -  'SND '          12       44100  already-fixed  line "
          "1\n" +
          m +
          "0x0000009c      3 'TDT '       -  'FONT'           1           7  fix            line "
          "3\n" +
          m +
          "0x000000e4      4 'GGAE'       0  'BMAP'           3          -1  fix            line "
          "2\n" +
          m +
          "0x00000124      4 'GGAE'       1  'PAL '           2         256  fix            line "
          "4\n" +
          m +
          "0x0000018c      5 'GGFR'       0  'SCRP'          40           1  fix            line "
          "5\n" +
          m +
          "0x000001a4      5 'GGFR'       1  'SCRP'          41           1  no-rule        -\n" +
          m +
          "0x00000218      6 'GGST'       0  'PAL '           2         256  fix            line "
          "4\n" +
          m +
          "0x00000278      8 'TDT '       -  'FONT'           1           9  already-fixed  line "
          "3\n" +
          "Dry run: nothing was written\n\nFile: demo.qlm\n"
          "Number of problems that would be fixed: 6\n");
  EXPECT_EQ(readFile(path("demo.qlm")), demoMovie().bytes);
}

}  // namespace
}  // namespace vantrel
