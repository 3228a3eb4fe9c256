// The walk against a plain model of it, on built movies and on the same
// movies cut short, with bytes flipped, and with counts and offsets
// overwritten: the same result, the same count, the same fixes reported in
// the same order, and the same bytes afterwards.
#include "tests/support/model_walk.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <sstream>

#include "movie/le_word.h"
#include "tests/support/hostile_movies.h"
#include "tests/support/random_movies.h"
#include "tests/support/sample_movies.h"
#include "tests/support/walk_helpers.h"

namespace vantrel {
namespace {

using namespace moviekit;

bool oldAndNewDiffer(const std::vector<Rule>& rules) {
  return std::all_of(rules.begin(), rules.end(),
                     [](const Rule& rule) { return rule.oldValue != rule.newValue; });
}

::testing::AssertionResult sameFix(const FixedReference& fix, const ModelFix& expected) {
  if (fix.valueOffset != expected.valueOffset ||
      std::memcmp(fix.tag, expected.tag.data(), 4) != 0 || fix.number != expected.number ||
      fix.oldValue != expected.oldValue || fix.newValue != expected.newValue) {
    return ::testing::AssertionFailure()
           << "fix at " << fix.valueOffset << " (" << fix.oldValue << " -> " << fix.newValue << ", "
           << std::string(fix.tag, 4) << " " << fix.number << "), model: at "
           << expected.valueOffset << " (" << expected.oldValue << " -> " << expected.newValue
           << ", " << std::string(expected.tag.begin(), expected.tag.end()) << " "
           << expected.number << ")";
  }
  return ::testing::AssertionSuccess();
}

// The chunk tag's word, from its four characters as they read.
ChunkTag chunkTagOf(const std::array<unsigned char, 4>& code) {
  return ChunkTag{code[0]} << 24 | ChunkTag{code[1]} << 16 | ChunkTag{code[2]} << 8 | code[3];
}

::testing::AssertionResult sameReference(const RecordingSink::Read& read,
                                         const ModelReference& expected,
                                         const std::vector<FixRule>& rules) {
  const ReadReference& got = read.reference;
  const bool sameRule = read.rule.has_value() == expected.rule.has_value() &&
                        (!read.rule || (read.rule->line == rules[*expected.rule].line &&
                                        read.rule->oldValue == rules[*expected.rule].oldValue &&
                                        read.rule->newValue == rules[*expected.rule].newValue));
  if (got.valueOffset != expected.valueOffset || got.chunk != expected.chunk ||
      got.chunkTag != chunkTagOf(expected.chunkTag) || got.element != expected.element ||
      std::memcmp(got.tag, expected.tag.data(), 4) != 0 || got.number != expected.number ||
      got.value != expected.value || !sameRule) {
    return ::testing::AssertionFailure()
           << "reference at " << got.valueOffset << " in chunk " << got.chunk << " " << got.chunkTag
           << " element " << got.element.value_or(-1) << " (value " << got.value << ", rule line "
           << (read.rule ? read.rule->line : 0) << "), model: at " << expected.valueOffset
           << " in chunk " << expected.chunk << " " << chunkTagOf(expected.chunkTag) << " element "
           << expected.element.value_or(-1) << " (value " << expected.value << ", rule "
           << (expected.rule ? static_cast<int>(*expected.rule) : -1) << ")";
  }
  return ::testing::AssertionSuccess();
}

// Walks a copy of `movie` and compares everything the walk shows with the
// model. When the model's fixes touch nothing else it read and no rule
// rewrites a value with itself, a second walk must find nothing to do.
::testing::AssertionResult walkMatchesModel(const Bytes& movie, const std::vector<Rule>& rules,
                                            bool dryRun = false) {
  const std::vector<FixRule> fixRules = toFixRules(rules);
  const ModelWalk model = modelWalk(movie, fixRules, dryRun);
  Bytes bytes = movie;
  RecordingSink sink;
  WalkOptions options;
  options.dryRun = dryRun;
  options.reportReferences = true;
  const WalkOutcome outcome = walkBytes(bytes, rules, sink, options);

  if (outcome.result != model.result) {
    return ::testing::AssertionFailure() << "result " << static_cast<int>(outcome.result)
                                         << ", model " << static_cast<int>(model.result);
  }
  if (outcome.fixCount != model.fixCount) {
    return ::testing::AssertionFailure()
           << "fix count " << outcome.fixCount << ", model " << model.fixCount;
  }
  if (bytes.size() != movie.size()) return ::testing::AssertionFailure() << "size changed";
  const std::vector<std::size_t> differing = changedOffsets(model.bytes, bytes);
  if (!differing.empty()) {
    return ::testing::AssertionFailure()
           << differing.size() << " bytes differ from the model's, first at " << differing[0]
           << ": " << int{bytes[differing[0]]} << ", model " << int{model.bytes[differing[0]]}
           << ", before " << int{movie[differing[0]]};
  }
  if (outcome.overBudget != model.overBudget) {
    return ::testing::AssertionFailure()
           << "over the budget: " << static_cast<int>(outcome.overBudget) << ", model "
           << static_cast<int>(model.overBudget);
  }
  if (sink.begins != (model.begun ? 1 : 0) || sink.total != model.chunkTotal ||
      sink.steps != model.steps) {
    return ::testing::AssertionFailure()
           << "begin " << sink.begins << "x (" << sink.total << "), steps " << sink.steps
           << "; model total " << model.chunkTotal;
  }
  if (!sink.failedWrites.empty()) return ::testing::AssertionFailure() << "a write failed";
  if (sink.fixes.size() != model.fixes.size()) {
    return ::testing::AssertionFailure()
           << sink.fixes.size() << " fixes reported, model " << model.fixes.size();
  }
  for (std::size_t i = 0; i < sink.fixes.size(); ++i) {
    if (auto same = sameFix(sink.fixes[i], model.fixes[i]); !same) {
      return same << " (fix " << i << ")";
    }
  }
  if (sink.references.size() != model.references.size()) {
    return ::testing::AssertionFailure()
           << sink.references.size() << " references read, model " << model.references.size();
  }
  for (std::size_t i = 0; i < sink.references.size(); ++i) {
    if (auto same = sameReference(sink.references[i], model.references[i], fixRules); !same) {
      return same << " (reference " << i << ")";
    }
  }

  if (!dryRun && model.result == WalkResult::Done && oldAndNewDiffer(rules) &&
      patchesTouchNothingElseRead(movie, toFixRules(rules), model)) {
    const Bytes once = bytes;
    const WalkOutcome again = walkBytes(bytes, rules);
    if (again.fixCount != 0 || bytes != once) {
      return ::testing::AssertionFailure() << "a second walk fixed " << again.fixCount;
    }
  }
  return ::testing::AssertionSuccess();
}

std::string describe(const Bytes& movie, const std::vector<Rule>& rules) {
  std::ostringstream text;
  text << movie.size() << "-byte movie, rules:\n" << fixText(rules);
  return text.str();
}

TEST(ModelWalkTest, ModelRepairsBuiltMoviesAsTheBuilderExpects) {
  // The model is only worth trusting if it agrees with the builder, which
  // knows where it put every reference.
  std::mt19937 random(5101);
  int fixes = 0;
  for (int i = 0; i < 400; ++i) {
    const Scenario scenario = randomScenario(random);
    std::uint64_t expectedCount = 0;
    const Bytes expected = expectedAfterFix(scenario.movie, scenario.rules, &expectedCount);
    const ModelWalk model = modelWalk(scenario.movie.bytes, toFixRules(scenario.rules));
    ASSERT_EQ(model.result, WalkResult::Done) << i;
    ASSERT_EQ(model.fixCount, expectedCount) << i;
    ASSERT_EQ(model.bytes, expected) << i;
    EXPECT_EQ(model.chunkTotal, scenario.movie.chunkCount);
    fixes += static_cast<int>(model.fixCount);
  }
  // The scenarios must fix something, or the comparison proves little.
  EXPECT_GT(fixes, 250);

  const BuiltMovie demo = demoMovie();
  EXPECT_EQ(modelWalk(demo.bytes, toFixRules(demoRules())).fixCount, 6u);
}

TEST(ModelWalkTest, WalkMatchesModelOnBuiltMovies) {
  std::mt19937 random(5102);
  int walkedTwice = 0;
  for (int i = 0; i < 1000; ++i) {
    const Scenario scenario = randomScenario(random);
    const ModelWalk model = modelWalk(scenario.movie.bytes, toFixRules(scenario.rules));
    if (model.fixCount > 0 && oldAndNewDiffer(scenario.rules) &&
        patchesTouchNothingElseRead(scenario.movie.bytes, toFixRules(scenario.rules), model)) {
      ++walkedTwice;
    }
    ASSERT_TRUE(walkMatchesModel(scenario.movie.bytes, scenario.rules))
        << describe(scenario.movie.bytes, scenario.rules);
    ASSERT_TRUE(walkMatchesModel(scenario.movie.bytes, scenario.rules, true))
        << "dry run, " << describe(scenario.movie.bytes, scenario.rules);
  }
  // Built movies keep their references apart, so the second walk that
  // walkMatchesModel makes must run often.
  EXPECT_GT(walkedTwice, 200);
}

TEST(ModelWalkTest, WalkMatchesModelOnMoviesCutShort) {
  std::mt19937 random(5103);
  for (int i = 0; i < 300; ++i) {
    const Scenario scenario = randomScenario(random);
    for (int cut = 0; cut < 12; ++cut) {
      Bytes bytes = scenario.movie.bytes;
      cutShort(bytes, random);
      ASSERT_TRUE(walkMatchesModel(bytes, scenario.rules)) << describe(bytes, scenario.rules);
    }
  }
}

TEST(ModelWalkTest, WalkMatchesModelOnFlippedBytes) {
  std::mt19937 random(5104);
  for (int i = 0; i < 5000; ++i) {
    const Scenario scenario = randomScenario(random);
    Bytes bytes = scenario.movie.bytes;
    flipBytes(bytes, random, 1 + static_cast<int>(random() % 8));
    ASSERT_TRUE(walkMatchesModel(bytes, scenario.rules)) << describe(bytes, scenario.rules);
  }
}

TEST(ModelWalkTest, WalkMatchesModelOnOverwrittenCountsAndOffsets) {
  std::mt19937 random(5105);
  for (int i = 0; i < 10000; ++i) {
    const Scenario scenario = randomScenario(random);
    Bytes bytes = scenario.movie.bytes;
    overwriteStructure(scenario.movie, bytes, random, 1 + static_cast<int>(random() % 4));
    if (random() % 4 == 0) flipBytes(bytes, random, 2);
    if (random() % 8 == 0) cutShort(bytes, random);
    ASSERT_TRUE(walkMatchesModel(bytes, scenario.rules, random() % 8 == 0))
        << describe(bytes, scenario.rules);
  }
}

TEST(ModelWalkTest, WalkMatchesModelWhereReferencesOverlap) {
  // Index records and location-table entries pointed at each other's
  // references, so that one fix lands in the tag, number or value of
  // another reference, or in a kind word or a count read later.
  std::mt19937 random(5106);
  int overlapping = 0;
  for (int i = 0; i < 3000; ++i) {
    const Scenario scenario = randomScenario(random);
    if (scenario.movie.references.size() < 2) continue;
    Bytes bytes = scenario.movie.bytes;
    const std::vector<PlacedReference>& references = scenario.movie.references;
    const PlacedReference& target = references[random() % references.size()];
    const std::uint64_t record =
        scenario.movie.indexOffset + 20 + 16 * (random() % scenario.movie.chunkCount);
    writeLe32(kTagTdt, bytes.data() + record);
    writeLe32(static_cast<std::uint32_t>(target.offset - 8 + random() % 17 - 8),
              bytes.data() + record + 8);
    const ModelWalk model = modelWalk(bytes, toFixRules(scenario.rules));
    overlapping += patchesTouchNothingElseRead(bytes, toFixRules(scenario.rules), model) ? 0 : 1;
    ASSERT_TRUE(walkMatchesModel(bytes, scenario.rules)) << describe(bytes, scenario.rules);
  }
  EXPECT_GT(overlapping, 100);
}

TEST(ModelWalkTest, WalkMatchesModelOnMoviesSpanningManyWindows) {
  // Megabytes of bulk chunks between the others: the walk's reads and its
  // deferred writes move through more of the file than it holds at once.
  std::mt19937 random(5107);
  for (int i = 0; i < 24; ++i) {
    const Scenario scenario = randomScenario(random, true);
    Bytes bytes = scenario.movie.bytes;
    if (i % 2 == 1) overwriteStructure(scenario.movie, bytes, random, 3);
    ASSERT_TRUE(walkMatchesModel(bytes, scenario.rules)) << describe(bytes, scenario.rules);
  }
}

// The stream's windows are 256 KiB long and start at multiples of it.
constexpr std::uint64_t kWindow = std::uint64_t{1} << 18;

// Two group chunks, a reference chunk of each kind and the index, with bulk
// chunks of `lead`, `middle` and `tail` bytes before each group and before
// the index, so that a test can put a window's edge where it likes.
BuiltMovie groupsBetweenBulk(std::uint32_t lead, std::uint32_t middle, std::uint32_t tail) {
  std::vector<Element> first;
  std::vector<Element> second;
  for (std::uint32_t i = 0; i < 40; ++i) {
    first.push_back({i % 3 == 0 ? 1u : 4u, Reference{i % 2 == 0 ? 2u : 5u, "ABCD", 7}, {}});
    second.push_back({i % 2 == 0 ? 2u : 6u, Reference{i % 4 == 0 ? 100u : 200u, "WAVE", 1}, {}});
  }
  return MovieBuilder(41)
      .addOtherChunk(makeChunkTag("SND "), lead)
      .addGroupChunk(kTagGgfr, first)
      .addActr({2, "ABCD", 7})
      .addOtherChunk(makeChunkTag("SND "), middle)
      .addGroupChunk(kTagGgae, second)
      .addTdt({100, "WAVE", 1})
      .addOtherChunk(makeChunkTag("SND "), tail)
      .build();
}

const std::vector<Rule> kWindowRules = {{"ABCD", 7, 2, 5}, {"WAVE", 1, 100, 200}};

// Where a Group's location table starts, for the Group at `start`.
std::uint64_t tableOf(const BuiltMovie& movie, std::uint64_t start) {
  return start + 20 + readLe32(movie.bytes.data() + start + 8);
}

TEST(ModelWalkTest, WalkMatchesModelWhereAWindowEdgeCutsAGroupOrTheIndex) {
  struct Piece {
    const char* what;
    int bulk;  // the bulk chunk that moves it: 0 before the first group, 1 the second, 2 the index
    std::uint64_t (*where)(const BuiltMovie&);
  };
  const Piece pieces[] = {
      {"the first group's header", 0,
       [](const BuiltMovie& m) -> std::uint64_t { return m.chunkDataOffsets[1]; }},
      {"the first group's table", 0,
       [](const BuiltMovie& m) { return tableOf(m, m.chunkDataOffsets[1]); }},
      {"the second group's header", 1,
       [](const BuiltMovie& m) -> std::uint64_t { return m.chunkDataOffsets[4]; }},
      {"the second group's table", 1,
       [](const BuiltMovie& m) { return tableOf(m, m.chunkDataOffsets[4]); }},
      {"the index's records", 2,
       [](const BuiltMovie& m) -> std::uint64_t { return m.indexOffset + 20; }},
      {"the index's table", 2, [](const BuiltMovie& m) { return tableOf(m, m.indexOffset); }},
  };
  // The edge just before the piece, in its count word (4 to 7), its data
  // size, in and between the first entries, and deep in a table.
  const std::uint64_t cuts[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 12, 13, 20, 23, 317};
  for (const Piece& piece : pieces) {
    for (const std::uint64_t cut : cuts) {
      SCOPED_TRACE(std::string(piece.what) + ", " + std::to_string(cut) + " bytes before an edge");
      // Bulk enough that the second group and the index lie windows further on.
      std::uint32_t bulk[3] = {1000, 300000, 300000};
      const BuiltMovie first = groupsBetweenBulk(bulk[0], bulk[1], bulk[2]);
      bulk[piece.bulk] +=
          static_cast<std::uint32_t>((kWindow - (piece.where(first) + cut) % kWindow) % kWindow);
      const BuiltMovie movie = groupsBetweenBulk(bulk[0], bulk[1], bulk[2]);
      ASSERT_EQ((piece.where(movie) + cut) % kWindow, 0u);
      ASSERT_TRUE(walkMatchesModel(movie.bytes, kWindowRules));
      ASSERT_TRUE(walkMatchesModel(movie.bytes, kWindowRules, true));
    }
  }
  // The walk must have had fixes to make across the edges.
  EXPECT_EQ(
      modelWalk(groupsBetweenBulk(1000, 300000, 300000).bytes, toFixRules(kWindowRules)).fixCount,
      32u);
}

TEST(ModelWalkTest, TheBudgetCountsAGroupHeaderAtTheEndOfARead) {
  // The budget reads the group headers in file order, many in one read of
  // up to 512 KiB from the first header's count word. A second group lies
  // so that its count and data size end just inside that reach, at its
  // end, or just beyond; the index names it 12,000 times, which takes the
  // walk over its budget only if that header is counted.
  const std::uint64_t reach = std::uint64_t{1} << 19;
  std::vector<Element> small(40, Element{1, Reference{5, "ABCD", 7}, {}});
  std::vector<Element> listed(64, Element{1, Reference{2, "ABCD", 7}, {}});
  for (const std::int64_t past : {-1, 0, 1}) {
    SCOPED_TRACE("the header ends " + std::to_string(past) + " bytes past the read's reach");
    auto build = [&](std::uint32_t bulk) {
      MovieBuilder builder(43);
      builder.addGroupChunk(kTagGgfr, small)
          .addOtherChunk(makeChunkTag("SND "), bulk)
          .addGroupChunk(kTagGgfr, listed);
      for (int i = 0; i < 12000; ++i) builder.addActr({5, "ABCD", 7});
      return builder.build();
    };
    const BuiltMovie first = build(1000);
    const std::uint64_t apart = first.chunkDataOffsets[2] - first.chunkDataOffsets[0];
    // The headers' words run from the group's + 4 to its + 12.
    const BuiltMovie movie =
        build(static_cast<std::uint32_t>(1000 + reach - 8 + past - static_cast<std::int64_t>(apart)));
    ASSERT_EQ(movie.chunkDataOffsets[2] + 12 - (movie.chunkDataOffsets[0] + 4), reach + past);
    Bytes bytes = movie.bytes;
    for (std::uint32_t chunk = 3; chunk < movie.chunkCount; ++chunk) {
      unsigned char* record = bytes.data() + movie.indexOffset + 20 + 16 * chunk;
      writeLe32(kTagGgfr, record);
      writeLe32(movie.chunkDataOffsets[2], record + 8);
    }
    const ModelWalk model = modelWalk(bytes, toFixRules(kWindowRules));
    EXPECT_EQ(model.overBudget, OverBudget::Refused);
    EXPECT_TRUE(walkMatchesModel(bytes, kWindowRules));
    EXPECT_TRUE(walkMatchesModel(bytes, kWindowRules, true));
    // Named but once, the same group is well within the budget.
    EXPECT_TRUE(walkMatchesModel(movie.bytes, kWindowRules));
    EXPECT_EQ(modelWalk(movie.bytes, toFixRules(kWindowRules)).fixCount, 64u);
  }
}

TEST(ModelWalkTest, AFixSeenByALaterReadInTheSameWindow) {
  // A 'TDT ' chunk whose reference's value word is the kind word of an
  // element of a 'GGFR' group the walk visits next: the fix turns kind 0
  // (nothing to patch) into kind 4, whose reference at the element's + 8
  // the walk must then find and fix, reading the word it has just written
  // from the window it holds.
  Bytes bytes;
  std::uint64_t element = 0;
  {
    const BuiltMovie movie = MovieBuilder(42)
                                 .addTdt({0, "ZZZZ", 0})
                                 .addGroupChunk(kTagGgfr, {{0, Reference{9, "FONT", 3}, 8}})
                                 .build();
    bytes = movie.bytes;
    element = movie.references[1].offset - 8;  // the decoy lies at the element's + 8
    // The 'TDT ' record now points its reference (8 bytes into the chunk's
    // data) at the kind word, whose
    // tag and number are then the bytes at the element's + 12 and + 16.
    writeLe32(static_cast<std::uint32_t>(element + 4 - 8),
              bytes.data() + movie.indexOffset + 20 + 8);
  }
  const std::string tag(reinterpret_cast<const char*>(bytes.data() + element + 12), 4);
  const std::uint32_t number = readLe32(bytes.data() + element + 16);
  const std::vector<Rule> rules = {{tag, number, 0, 4}, {"FONT", 3, 9, 10}};
  const ModelWalk model = modelWalk(bytes, toFixRules(rules));
  ASSERT_EQ(model.fixCount, 2u);
  EXPECT_TRUE(walkMatchesModel(bytes, rules));
  Bytes walked = bytes;
  EXPECT_EQ(walkBytes(walked, rules).fixCount, 2u);
  EXPECT_EQ(readLe32(walked.data() + element + 4), 4u);
  EXPECT_EQ(readLe32(walked.data() + element + 8), 10u);
}

TEST(ModelWalkTest, VisitsBeyondTheBudgetMakeAMovieNotValid) {
  const std::vector<Rule> rules = {{"BMAP", 7, 1, 2}, raiseCountRule(4096)};
  struct Case {
    const char* what;
    Bytes movie;
    WalkResult result;
    OverBudget overBudget;
    std::uint64_t fixCount;
  };
  const Case cases[] = {
      // 2^31 visits in 768 KB, and 268 million through overlapping headers.
      {"one group listed 32,768 times", repeatedGroupMovie(32768, 65536), WalkResult::NotValid,
       OverBudget::Refused, 0},
      {"4,096 groups sharing one table", overlappingGroupsMovie(4096, 65536), WalkResult::NotValid,
       OverBudget::Refused, 0},
      {"a fix that raises a count", countRaisedByAFixMovie(4096, 8), WalkResult::NotValid,
       OverBudget::Stopped, 1},
      // Either side of the budget: half the file's size in visits.
      {"256 visits in 676 bytes", repeatedGroupMovie(4, 64), WalkResult::Done, OverBudget::No, 1},
      {"512 visits in 708 bytes", repeatedGroupMovie(8, 64), WalkResult::NotValid,
       OverBudget::Refused, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const ModelWalk model = modelWalk(c.movie, toFixRules(rules));
    EXPECT_EQ(model.result, c.result);
    EXPECT_EQ(model.overBudget, c.overBudget);
    EXPECT_EQ(model.fixCount, c.fixCount);
    EXPECT_TRUE(walkMatchesModel(c.movie, rules));
    EXPECT_TRUE(walkMatchesModel(c.movie, rules, true));
  }
  // The fix landed on the count, and the walk stopped at the group's fifth
  // visit: a step for the 'TDT ' chunk and for each of the four before.
  const Bytes raised = countRaisedByAFixMovie(4096, 8);
  const ModelWalk stopped = modelWalk(raised, toFixRules(rules));
  EXPECT_EQ(readLe32(stopped.bytes.data() + 36), 4096u);
  EXPECT_EQ(stopped.steps, 5u);
}

}  // namespace
}  // namespace vantrel
