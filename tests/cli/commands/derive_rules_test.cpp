// vantrel --derive-rules end to end: the rules it writes and in what form,
// each kind of problem as it is told, pairs of folders, and exit codes.
#include <gtest/gtest.h>

#include <filesystem>

#include "movie/container_layout.h"
#include "tests/support/cli_program_fixture.h"
#include "tests/support/movie_builder.h"
#include "tests/support/sample_movies.h"

namespace vantrel {
namespace {

using namespace moviekit;
namespace fs = std::filesystem;

using DeriveRulesTest = ProgramTest;

// The README's example: the demo movie against its repaired copy.
TEST_F(DeriveRulesTest, RulesFromTheDemoRepairItAndExtendARuleFile) {
  const BuiltMovie demo = demoMovie();
  putMovie("good.qlm", expectedAfterFix(demo, demoRules()));
  putMovie("bad.qlm", demo.bytes);
  const RunResult derived = run({"--derive-rules", path("good.qlm"), path("bad.qlm")});
  EXPECT_EQ(derived.exitCode, 0) << derived.err;
  // In the order the walk first needs each.
  EXPECT_EQ(derived.out,
            "-SND  12 4410 44100\n-FONT 1 7 9\n-BMAP 3 -1 640\n-PAL  2 256 16\n-SCRP 40 1 2\n");
  EXPECT_EQ(derived.err, "vantrel: 9 references compared, 6 differ; 5 rules written; 0 problems\n");
  EXPECT_EQ(readFile(path("bad.qlm")), demo.bytes) << "a movie was written";

  // Appended to a rule file that already holds two of them, only the
  // others are written, and the file then repairs the movie.
  writeText("fix.dat", "-FONT 1 7 9\r\n-SND  12 4410 44100\r\n");
  const RunResult more =
      run({"--derive-rules", "--rules", path("fix.dat"), path("good.qlm"), path("bad.qlm")});
  EXPECT_EQ(more.exitCode, 0) << more.err;
  EXPECT_EQ(more.out, "-BMAP 3 -1 640\n-PAL  2 256 16\n-SCRP 40 1 2\n");
  writeText("fix.dat", slurp(path("fix.dat")) + more.out);
  EXPECT_EQ(run({"-q", "--rules", path("fix.dat"), path("bad.qlm")}).exitCode, 0);
  EXPECT_EQ(readFile(path("bad.qlm")), readFile(path("good.qlm")));
  const RunResult none = run(
      {"--derive-rules", "--json", "--rules", path("fix.dat"), path("good.qlm"), path("bad.qlm")});
  EXPECT_EQ(none.exitCode, 0);
  EXPECT_EQ(none.out,
            "{\"type\":\"summary\",\"compared\":9,\"differing\":0,\"rules\":0,\"problems\":0}\n");
}

// A movie whose damage shows every problem a pair of movies can have.
struct ProblemMovies {
  BuiltMovie good;
  BuiltMovie bad;
};

ProblemMovies problemMovies() {
  const auto build = [](bool damaged) {
    const auto value = [damaged](std::uint32_t bad, std::uint32_t good) {
      return damaged ? bad : good;
    };
    MovieBuilder builder(77);
    builder.addActr({value(1, 2), "SCRP", 41})
        .addTdt({value(1, 3), "SCRP", 41})
        .addActr({value(5, 6), "WAVE", 5})
        .addActr({5, "WAVE", 5})
        .addTdt({value(7, 9), "FONT", 1})
        .addTdt({value(1, 2), "A\r\nB", 1})
        .addActr({value(0x80000000u, 0xFFFFFFF9u), "NEG ", 0xFFFFFFFDu})
        .addGroupChunk(kTagGgfr, {{1, Reference{value(4410, 44100), "SND ", 12}, {}}});
    if (damaged) builder.addTdt({1, "XTRA", 9});
    return builder.build();
  };
  return {build(false), build(true)};
}

TEST_F(DeriveRulesTest, EachProblemIsToldWhereItLiesAndTheExitCodeIsFour) {
  const ProblemMovies movies = problemMovies();
  putMovie("good.qlm", movies.good.bytes);
  putMovie("bad.qlm", movies.bad.bytes);
  writeText("fix.dat", "-FONT 1 7 8\n-SND  12 4410 44100\n");
  const auto at = [&](std::size_t reference) {
    return path("bad.qlm") + ":" + hex(movies.bad.references[reference].offset) + ": ";
  };
  const auto offset = [&](std::size_t reference) {
    return movies.bad.references[reference].offset;
  };

  const RunResult result =
      run({"--derive-rules", "--rules", path("fix.dat"), path("good.qlm"), path("bad.qlm")});
  EXPECT_EQ(result.exitCode, 4);
  EXPECT_EQ(result.out, "-NEG  -3 -2147483648 -7\n");
  EXPECT_EQ(result.err,
            at(8) +
                "layout: 'XTRA' 9 in chunk 8 has no reference of that tag and number at the "
                "same offset in " +
                path("good.qlm") + "\n" + path("bad.qlm") + ":" +
                hex(ContainerHeader::kIndexOffsetAt) + ": layout: this byte differs from " +
                path("good.qlm") +
                " outside the value word of any reference, where no rule can change it\n" + at(0) +
                "conflict: 'SCRP' 41 needs 1 -> 2 here and 1 -> 3 at " + hex(offset(1)) + "\n" +
                at(2) + "conflict: 'WAVE' 5 needs 5 -> 6 here, but 5 is right at " +
                hex(offset(3)) + "\n" + at(4) +
                "shadowed: 'FONT' 1 needs 7 -> 9 here, but the "
                "rule on line 1 of " +
                path("fix.dat") + ", 7 -> 8, comes first\n" + at(5) +
                "unwritable: 'A\\x0d\\x0aB' 1 needs 1 -> 2 here, but fix.dat cannot hold this tag "
                "(a Ctrl-Z ends the file, and a carriage return before a line feed reads as one "
                "line end)\n"
                "vantrel: 8 references compared, 7 differ; 1 rule written; 6 problems\n");

  const RunResult json = run(
      {"--derive-rules", "--json", "--rules", path("fix.dat"), path("good.qlm"), path("bad.qlm")});
  EXPECT_EQ(json.exitCode, 4);
  EXPECT_EQ(json.err, result.err);
  const std::string movie = "\"movie\":\"" + path("bad.qlm") + "\"";
  const auto problem = [&](const char* kind, const std::string& tag, const char* number,
                           std::size_t reference, const std::string& extra = "") {
    return "{\"type\":\"derive-problem\",\"kind\":\"" + std::string(kind) + "\",\"tag\":\"" + tag +
           "\",\"number\":" + number + "," + movie +
           ",\"offset\":" + std::to_string(offset(reference)) + extra + "}\n";
  };
  EXPECT_EQ(
      json.out,
      problem("layout", "XTRA", "9", 8) +
          "{\"type\":\"derive-problem\",\"kind\":\"layout\",\"tag\":null,\"number\":null," + movie +
          ",\"offset\":" + std::to_string(ContainerHeader::kIndexOffsetAt) + "}\n" +
          problem("conflict", "SCRP", "41", 0) + problem("conflict", "WAVE", "5", 2) +
          problem("shadowed", "FONT", "1", 4, ",\"line\":1") +
          problem("unwritable", "A\\u000d\\u000aB", "1", 5) +
          "{\"type\":\"rule\",\"tag\":\"NEG \",\"number\":-3,\"old\":-2147483648,\"new\":-7,"
          "\"references\":1," +
          movie + ",\"offset\":" + std::to_string(offset(6)) + "}\n" +
          "{\"type\":\"summary\",\"compared\":8,\"differing\":7,\"rules\":1,\"problems\":6}\n");
}

// Exit code 0 is a promise that the rules turn each damaged movie into its
// good copy; pairs where they cannot are layout problems. An element whose
// kind word is also an 'ACTR' value word is read at another offset in the
// damaged copy; two value words a byte apart are each repaired alone, but
// not together.
TEST_F(DeriveRulesTest, WhereTheRulesCannotMakeTheGoodCopyItIsALayoutProblem) {
  const KindWordPair kind = kindWordIsAValueWordPair();
  putMovie("good.qlm", kind.good);
  putMovie("bad.qlm", kind.damaged);
  const RunResult moved = run({"--derive-rules", path("good.qlm"), path("bad.qlm")});
  EXPECT_EQ(moved.exitCode, 4);
  const std::uint64_t element = kind.kindWordAt - 4;
  EXPECT_EQ(moved.err,
            path("good.qlm") + ":" + hex(element + 28) +
                ": layout: 'ELEM' 5 in chunk 0, element 0 has no reference of that tag and number "
                "at the same offset in " +
                path("bad.qlm") + "\n" + path("bad.qlm") + ":" + hex(element + 8) +
                ": layout: 'ELEM' 5 in chunk 0, element 0 has no reference of that tag and number "
                "at the same offset in " +
                path("good.qlm") +
                "\nvantrel: 1 reference compared, 1 differ; 1 rule written; 2 problems\n");

  const OverlapPair overlap = overlappingValueWordsPair();
  putMovie("good.qlm", overlap.good);
  putMovie("bad.qlm", overlap.damaged);
  const RunResult apart = run({"--derive-rules", "--json", path("good.qlm"), path("bad.qlm")});
  EXPECT_EQ(apart.exitCode, 4);
  EXPECT_NE(
      apart.err.find(path("bad.qlm") + ":" + hex(overlap.firstByteAt) +
                     ": layout: repaired by the rules, this movie would still differ from " +
                     path("good.qlm") + " here, as a fix changes what the repair reads after it\n"),
      std::string::npos)
      << apart.err;
  EXPECT_NE(apart.out.find("{\"type\":\"derive-problem\",\"kind\":\"layout\",\"tag\":null,"
                           "\"number\":null,\"movie\":\"" +
                           path("bad.qlm") +
                           "\",\"offset\":" + std::to_string(overlap.firstByteAt) + "}\n"),
            std::string::npos)
      << apart.out;
  // And so it is: the rules it wrote leave the byte.
  const RunResult rules = run({"--derive-rules", path("good.qlm"), path("bad.qlm")});
  writeText("derived.dat", rules.out);
  EXPECT_EQ(run({"-q", "--rules", path("derived.dat"), path("bad.qlm")}).exitCode, 0);
  EXPECT_NE(readFile(path("bad.qlm")), overlap.good);
  EXPECT_EQ(readFile(path("good.qlm")), overlap.good);
}

TEST_F(DeriveRulesTest, FoldersPairByRelativePathAndAMovieInOneIsUnpaired) {
  const auto movie = [](std::uint32_t value, const char* tag) {
    return MovieBuilder(5).addActr({value, tag, 1}).build().bytes;
  };
  putMovie("good/a.qlm", movie(2, "AAAA"));
  putMovie("bad/a.qlm", movie(1, "AAAA"));
  putMovie("good/sub/B.QLM", movie(20, "BBBB"));
  putMovie("bad/sub/B.QLM", movie(10, "BBBB"));
  putMovie("good/only-good.qlm", movie(1, "CCCC"));
  putMovie("bad/only-bad.qlm", movie(1, "DDDD"));
  putMovie("bad/sub/B.qlmx", movie(1, "EEEE"));  // not a movie's name

  const RunResult result = run({"--derive-rules", "-r", path("good"), path("bad") + "/"});
  EXPECT_EQ(result.exitCode, 4);
  EXPECT_EQ(result.out, "-AAAA 1 1 2\n-BBBB 1 10 20\n");
  EXPECT_EQ(result.err,
            path("good/only-good.qlm") + ": unpaired: no movie at " + path("bad/only-good.qlm") +
                " to pair it with\n" + path("bad/only-bad.qlm") + ": unpaired: no movie at " +
                path("good/only-bad.qlm") + " to pair it with\n" +
                "vantrel: 2 references compared, 2 differ; 2 rules written; 2 problems\n");
  const RunResult json = run({"--derive-rules", "--json", "-r", path("good"), path("bad")});
  EXPECT_NE(json.out.find("{\"type\":\"derive-problem\",\"kind\":\"unpaired\",\"tag\":null,"
                          "\"number\":null,\"movie\":\"" +
                          path("bad/only-bad.qlm") + "\",\"offset\":null}\n"),
            std::string::npos)
      << json.out;

  // Two pairs on the command line: rules from both, in the order given.
  const RunResult pairs = run({"--derive-rules", path("good/sub/B.QLM"), path("bad/sub/B.QLM"),
                               path("good/a.qlm"), path("bad/a.qlm")});
  EXPECT_EQ(pairs.exitCode, 0) << pairs.err;
  EXPECT_EQ(pairs.out, "-BBBB 1 10 20\n-AAAA 1 1 2\n");
}

TEST_F(DeriveRulesTest, ExitCodesSayWhatWentWrong) {
  const Bytes good = MovieBuilder(3).addActr({2, "ABCD", 7}).build().bytes;
  putMovie("good.qlm", good);
  putMovie("bad.qlm", MovieBuilder(3).addActr({1, "ABCD", 7}).build().bytes);
  writeText("text.qlm", "not a movie");
  writeText("malformed.dat", "-ABCD 7 1 2\nnot a rule\n");
  writeText("ctrl-z.dat", "-WXYZ 7 1 2\r\n\x1a");
  fs::create_directories(path("folder"));
  const std::string good_ = path("good.qlm"), bad = path("bad.qlm");
  const struct {
    std::vector<std::string> args;
    int exitCode;
    std::string errStart;
  } cases[] = {
      {{"--derive-rules", good_, bad},
       0,
       "vantrel: 1 reference compared, 1 differ; 1 rule written"},
      {{"--derive-rules", good_}, 2, "vantrel: option '--derive-rules' takes pairs GOOD DAMAGED"},
      {{"--derive-rules"}, 2, "vantrel: option '--derive-rules' needs GOOD DAMAGED"},
      {{"--derive-rules", "--list", good_, bad}, 2, "vantrel: option '--derive-rules' cannot"},
      {{"--derive-rules", "--rules", path("none.dat"), good_, bad},
       1,
       "vantrel: Cannot open fix data file"},
      {{"--derive-rules", path("none.qlm"), bad}, 3, path("none.qlm") + ": Cannot open QELM"},
      {{"--derive-rules", good_, path("text.qlm")}, 3, path("text.qlm") + ": Not a valid QELM"},
      {{"--derive-rules", path("folder"), bad}, 3, path("folder") + ": is a directory"},
      {{"--derive-rules", "--rules", path("malformed.dat"), good_, bad},
       4,
       "vantrel: " + path("malformed.dat") + ":2: malformed"},
      {{"--derive-rules", "--rules", path("ctrl-z.dat"), good_, bad},
       4,
       "vantrel: " + path("ctrl-z.dat") + ":2: ctrl-z: a Ctrl-Z byte ends the file here"},
      {{"--derive-rules", bad, good_, good_, bad}, 4, good_ + ":0x"},  // a conflict
  };
  for (const auto& c : cases) {
    const RunResult result = run(c.args);
    EXPECT_EQ(result.exitCode, c.exitCode) << c.args.back() << "\n" << result.err;
    EXPECT_EQ(result.err.rfind(c.errStart, 0), 0u) << result.err;
  }
  EXPECT_EQ(readFile(path("good.qlm")), good);
}

}  // namespace
}  // namespace vantrel
