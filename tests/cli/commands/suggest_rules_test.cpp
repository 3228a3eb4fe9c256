// vantrel --suggest-rules end to end: its records and their order held to
// the model on random archives, through -r and --files-from; the README's
// archive of demo copies and its round trip; --rules; movies that fail;
// usage errors.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "tests/support/cli_program_fixture.h"
#include "tests/support/json_records.h"
#include "tests/support/model_suggestion.h"
#include "tests/support/movie_builder.h"
#include "tests/support/random_archives.h"
#include "tests/support/sample_movies.h"

namespace vantrel {
namespace {

using namespace moviekit;
namespace fs = std::filesystem;

class SuggestRulesTest : public ProgramTest {
 protected:
  // Writes the archive into `folder` as 000.qlm, 001.qlm ..., so that -r
  // meets them in order; returns their paths.
  std::vector<std::string> putArchive(const std::string& folder,
                                      const std::vector<Bytes>& movies) const {
    fs::remove_all(path(folder));
    fs::create_directories(path(folder));
    std::vector<std::string> paths;
    for (std::size_t m = 0; m < movies.size(); ++m) {
      char name[32];
      std::snprintf(name, sizeof name, "/%03zu.qlm", m);
      paths.push_back(path(folder) + name);
      writeFile(paths.back(), movies[m]);
    }
    return paths;
  }

  // What a dry run tells of a movie that fails: its JSON record, and its
  // line on stderr.
  std::string dryRunResult(const std::string& movie) const {
    writeText("empty.dat", "");
    const std::string out = run({"--dry-run", "--json", "--rules", path("empty.dat"), movie}).out;
    return out.substr(0, out.find('\n') + 1);
  }
  std::string dryRunLine(const std::string& movie) const {
    writeText("empty.dat", "");
    return run({"--dry-run", "--rules", path("empty.dat"), movie}).err;
  }
};

std::string suggestionRecord(const ModelSuggestFinding& f, const std::vector<std::string>& paths) {
  std::string examples;
  for (const std::size_t movie : f.examples) {
    examples += (examples.empty() ? "" : ",") + jsonText(paths[movie]);
  }
  return "{\"type\":\"suggestion\",\"tag\":" + jsonBytes(f.tag) +
         ",\"number\":" + signedText(f.number) + ",\"old\":" + signedText(f.oldValue) +
         ",\"new\":" + signedText(f.newValue) + ",\"movies\":" + std::to_string(f.movies) +
         ",\"old_movies\":" + std::to_string(f.oldMovies) +
         ",\"new_movies\":" + std::to_string(f.newMovies) +
         ",\"old_references\":" + std::to_string(f.oldReferences) +
         ",\"new_references\":" + std::to_string(f.newReferences) + ",\"examples\":[" + examples +
         "]}\n";
}

std::string problemRecord(const ModelSuggestFinding& f) {
  return "{\"type\":\"suggest-problem\",\"kind\":\"" + f.kind + "\",\"tag\":" + jsonBytes(f.tag) +
         ",\"number\":" + signedText(f.number) +
         (f.kind == "differs" ? ",\"line\":" + std::to_string(f.line) : std::string()) + "}\n";
}

std::string ruleText(const std::vector<FixRule>& rules) {
  std::vector<Rule> plain;
  for (const FixRule& rule : rules) {
    plain.push_back(Rule{std::string(rule.tag, 4), rule.number, rule.oldValue, rule.newValue});
  }
  return fixText(plain);
}

TEST_F(SuggestRulesTest, RecordsAgreeWithTheModelThroughFoldersAndLists) {
  std::mt19937 random(2325);
  int failedSeen = 0;
  int suggestionsSeen = 0;
  for (int round = 0; round < 24; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const RandomArchive archive = randomArchive(random);
    const std::vector<std::string> paths = putArchive("archive", archive.movies);
    std::vector<FixRule> existing;
    std::vector<std::string> args = {"--suggest-rules", "--json",
                                     "--agreement=" + std::to_string(archive.agreement),
                                     "--min-movies", std::to_string(archive.minMovies)};
    if (round % 3 == 1) {
      existing = rulesFor(
          modelSuggest(archive.movies, archive.agreement, archive.minMovies, {}).rules, random);
      writeText("fix.dat", ruleText(existing));
      args.insert(args.end(), {"--rules", path("fix.dat")});
    }
    if (round % 2 == 0) {
      args.insert(args.end(), {"-r", path("archive")});
    } else {
      std::string list;
      for (const std::string& movie : paths) list += movie + '\0';
      writeText("list", list);
      args.insert(args.end(), {"--null", "--files-from", path("list")});
    }
    const ModelSuggestion model =
        modelSuggest(archive.movies, archive.agreement, archive.minMovies, existing);

    std::string expected;
    for (std::size_t m = 0; m < paths.size(); ++m) {
      if (modelWalk(archive.movies[m], {}, true).result == WalkResult::Done) continue;
      expected += dryRunResult(paths[m]);
      ++failedSeen;
    }
    std::uint64_t problems = 0;
    for (const ModelSuggestFinding& finding : model.findings) {
      const bool isSuggestion = finding.kind == "suggestion";
      expected += isSuggestion ? suggestionRecord(finding, paths) : problemRecord(finding);
      problems += isSuggestion ? 0 : 1;
      suggestionsSeen += isSuggestion ? 1 : 0;
    }
    const std::uint64_t failed = paths.size() - model.movies;
    expected += "{\"type\":\"summary\",\"movies\":" + std::to_string(model.movies) +
                ",\"failed\":" + std::to_string(failed) +
                ",\"keys\":" + std::to_string(model.keys) +
                ",\"varied_keys\":" + std::to_string(model.varied) +
                ",\"suggestions\":" + std::to_string(model.rules.size()) +
                ",\"covered\":" + std::to_string(model.covered) +
                ",\"problems\":" + std::to_string(problems) + "}\n";

    const RunResult result = run(args);
    EXPECT_EQ(result.out, expected) << result.err;
    EXPECT_EQ(result.exitCode, failed != 0 ? 3 : problems != 0 ? 4 : 0) << result.err;

    // Without --json, exactly the suggested rules, as fix.dat holds them.
    args.erase(args.begin() + 1);
    EXPECT_EQ(run(args).out, ruleText(model.rules));
  }
  EXPECT_GT(failedSeen, 2);
  EXPECT_GT(suggestionsSeen, 5);
}

// The README's example: forty copies of the demo, three of them damaged.
TEST_F(SuggestRulesTest, TheDemoArchiveSuggestsTheDemoRulesAndNothingOnceRepaired) {
  const BuiltMovie demo = demoMovie();
  const Bytes good = expectedAfterFix(demo, demoRules());
  std::vector<Bytes> movies(40, good);
  for (const std::size_t m : {0, 14, 27}) movies[m] = demo.bytes;
  const std::vector<std::string> paths = putArchive("archive", movies);

  const RunResult suggested = run({"--suggest-rules", "-r", path("archive")});
  EXPECT_EQ(suggested.exitCode, 0) << suggested.err;
  EXPECT_EQ(suggested.out,
            "-SND  12 4410 44100\n-FONT 1 7 9\n-BMAP 3 -1 640\n-PAL  2 256 16\n-SCRP 40 1 2\n");
  const std::string examples = paths[0] + ", " + paths[14] + ", " + paths[27];
  EXPECT_EQ(suggested.err.substr(0, suggested.err.find('\n') + 1),
            "'SND ' 12: 4410 in 3 of 40 movies (3 references), 44100 in 40 (77 references); "
            "first held by " +
                examples + "\n");
  EXPECT_NE(suggested.err.find("\n'PAL ' 2: 256 in 3 of 40 movies (6 references), 16 in 37 (74 "
                               "references); first held by " +
                               examples + "\n"),
            std::string::npos)
      << suggested.err;
  EXPECT_NE(suggested.err.find("\nvantrel: 40 movies read, 6 tags and numbers seen, 5 with more "
                               "than one value; 5 suggestions; 0 problems\n"),
            std::string::npos)
      << suggested.err;
  EXPECT_EQ(readFile(paths[0]), demo.bytes) << "a movie was written";

  // Repaired with them, the archive agrees on everything.
  writeText("fix.dat", suggested.out);
  EXPECT_EQ(run({"-q", "--rules", path("fix.dat"), "-r", path("archive")}).exitCode, 0);
  for (const std::string& movie : paths) ASSERT_EQ(readFile(movie), good) << movie;
  const RunResult again = run({"--suggest-rules", "-r", path("archive")});
  EXPECT_EQ(again.exitCode, 0);
  EXPECT_EQ(again.out, "");
  EXPECT_EQ(again.err,
            "vantrel: 40 movies read, 6 tags and numbers seen, 0 with more than one value; "
            "0 suggestions; 0 problems\n");
}

TEST_F(SuggestRulesTest, RulesAlreadyThereAreNotSuggestedAndOtherFirstRulesAreTold) {
  std::vector<BuiltMovie> built;
  std::vector<Bytes> movies;
  for (int m = 0; m < 10; ++m) {
    MovieBuilder builder(static_cast<std::uint32_t>(m));
    builder.addActr(Reference{m < 2 ? 4410u : 44100u, "SND ", 12});
    builder.addTdt(Reference{m == 5 ? 7u : 9u, "FONT", 1});
    builder.addTdt(Reference{m == 6 ? 256u : m == 7 ? 255u : 16u, "PAL ", 2});
    built.push_back(builder.build());
    movies.push_back(built.back().bytes);
  }
  const std::vector<std::string> paths = putArchive("archive", movies);
  writeText("fix.dat", "-FONT 1 7 9\n-SND  12 4410 44101\n-SND  12 4410 44100\n");
  const RunResult result = run({"--suggest-rules", "--agreement=80", "--min-movies=8", "--rules",
                                path("fix.dat"), "-r", path("archive")});
  EXPECT_EQ(result.exitCode, 4);
  EXPECT_EQ(result.out, "-PAL  2 256 16\n");
  const std::string pal =
      "'PAL ' 2: 256 in 1 of 10 movies (1 reference), 16 in 8 (8 references);"
      " first held by " +
      paths[6] + "\n";
  const std::string moreValues =
      paths[7] + ":" + hex(built[7].references[2].offset) +
      ": more-values: 'PAL ' 2 holds 1 more value besides 256 -> 16, the "
      "most held 255 in 1 (1 reference) from here on; fix.dat consults only the first "
      "rule for a tag and number, so suggest again once the movies are repaired\n";
  EXPECT_EQ(result.err,
            path("fix.dat") +
                ":2: differs: 'SND ' 12: the archive suggests 4410 -> 44100, but "
                "this rule, 4410 -> 44101, comes first for it\n" +
                pal + moreValues +
                "vantrel: 10 movies read, 3 tags and numbers seen, 3 with more than one value; "
                "1 suggestion; 2 problems\n");

  // A rule file that cannot be read, and one whose end would hide rules
  // appended to it.
  EXPECT_EQ(run({"--suggest-rules", "--rules", path("none.dat"), paths[0]}).exitCode, 1);
  writeText("fix.dat", "-FONT 1 7 9\nnot a rule\n");
  const RunResult malformed = run({"--suggest-rules", "--rules", path("fix.dat"), paths[0]});
  EXPECT_EQ(malformed.exitCode, 4);
  EXPECT_NE(malformed.err.find(path("fix.dat") + ":2: malformed: "), std::string::npos)
      << malformed.err;
}

TEST_F(SuggestRulesTest, AMovieThatFailsAddsNothingAndIsToldAsADryRunTellsIt) {
  MovieBuilder builder;
  builder.addActr(Reference{1, "SND ", 12});
  const Bytes one = builder.build().bytes;
  Bytes notValid = one;
  notValid[0] = 'X';
  const std::vector<std::string> paths = putArchive("archive", {one, notValid, one});
  const std::string missing = path("archive/missing.qlm");
  const RunResult result = run({"--suggest-rules", "--min-movies=1", paths[0], paths[1], missing,
                                path("archive"), paths[2]});
  EXPECT_EQ(result.exitCode, 3);
  EXPECT_EQ(result.out, "");
  const auto toldByDryRun = [&](const std::string& movie) { return dryRunLine(movie); };
  EXPECT_EQ(result.err, toldByDryRun(paths[1]) + toldByDryRun(missing) +
                            toldByDryRun(path("archive")) +
                            "vantrel: 2 movies read, 1 tag and number seen, 0 with more than one "
                            "value; 0 suggestions; 0 problems\n");
  // The movie that is not valid holds another value, but only once it is
  // valid does it count.
  notValid[0] = 'C';
  std::copy_n("\x02\x00\x00\x00", 4, notValid.begin() + 28 + 28);
  writeFile(paths[1], notValid);
  EXPECT_EQ(
      run({"--suggest-rules", "--min-movies=1", "--agreement=60", paths[0], paths[1], paths[2]})
          .out,
      "-SND  12 2 1\n");
}

TEST_F(SuggestRulesTest, UsageErrors) {
  writeText("a.qlm", "");
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"--suggest-rules", "--agreement=0", "a.qlm"}, "'--agreement' takes a whole percent"},
      {{"--suggest-rules", "--agreement=101", "a.qlm"}, "'--agreement' takes a whole percent"},
      {{"--suggest-rules", "--agreement=9x", "a.qlm"}, "'--agreement' takes a whole percent"},
      {{"--suggest-rules", "--agreement=", "a.qlm"}, "'--agreement' takes a whole percent"},
      {{"--suggest-rules", "--min-movies=0", "a.qlm"}, "'--min-movies' takes a whole number"},
      {{"--suggest-rules", "--min-movies=-1", "a.qlm"}, "'--min-movies' takes a whole number"},
      {{"--suggest-rules", "--min-movies=99999999999999999999", "a.qlm"},
       "'--min-movies' takes a whole number"},
      {{"--suggest-rules", "--derive-rules", "a.qlm", "a.qlm"}, "with '--derive-rules'"},
      {{"--derive-rules", "--suggest-rules", "a.qlm", "a.qlm"},
       "'--derive-rules' cannot be used with '--suggest-rules'"},
      {{"--suggest-rules", "--check-rules"}, "with '--check-rules'"},
      {{"--suggest-rules", "--undo", "a.qlm"}, "with '--undo'"},
      {{"--suggest-rules", "--dry-run", "a.qlm"}, "with '--dry-run'"},
      {{"--suggest-rules", "--backup", "a.qlm"}, "with '--backup'"},
      {{"--suggest-rules", "-q", "a.qlm"}, "with '--quiet'"},
      {{"--suggest-rules"}, "no movie file given"},
      {{"--suggest-rules", "--null", "a.qlm"}, "'--null' needs '--files-from'"},
      {{"--agreement=50", "a.qlm"}, "'--agreement' needs '--suggest-rules'"},
      {{"--min-movies=2", "--derive-rules", "a.qlm", "a.qlm"},
       "'--derive-rules' cannot be used with '--min-movies'"},
  };
  for (const auto& [args, message] : cases) {
    const RunResult result = run(args);
    EXPECT_EQ(result.exitCode, 2) << args[1];
    EXPECT_NE(result.err.find(message), std::string::npos) << args[1] << ": " << result.err;
    EXPECT_EQ(result.out, "");
  }
}

}  // namespace
}  // namespace vantrel
