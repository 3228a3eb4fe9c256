#include "movie/movie_walk.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>

#include <filesystem>
#include <fstream>
#include <random>

#include "movie/le_word.h"
#include "tests/support/walk_helpers.h"

namespace vantrel {
namespace {

using namespace moviekit;

const std::vector<Rule> kRules = {
    {"ABCD", 7, 2, 5}, {"WAVE", 1, 100, 200}, {"PIC ", 0xFFFFFFFFu, 0, 0x80000000u}};

BuiltMovie everyKind() {
  return MovieBuilder(11)
      .addOtherChunk(makeChunkTag("SND "), 12)
      .addActr({2, "ABCD", 7})
      .addTdt({100, "WAVE", 1})
      .addGroupChunk(kTagGgae, {{2, Reference{0, "PIC ", 0xFFFFFFFFu}, {}}, {5, {}, {}}})
      .addGroupChunk(kTagGgfr, {{4, Reference{2, "ABCD", 7}, {}}, {1, Reference{3, "ABCD", 7}, {}}})
      .addGroupChunk(kTagGgst, {{1, Reference{100, "WAVE", 1}, {}}})
      .addActr({2, "ABCE", 7})
      .addChunkWithTagBytes("GGFR", {2, "ABCD", 7})
      .build();
}

TEST(MovieWalkTest, RepairsEveryKindAndNothingElse) {
  const BuiltMovie movie = everyKind();
  std::uint64_t expectedCount = 0;
  const Bytes expected = expectedAfterFix(movie, kRules, &expectedCount);
  EXPECT_EQ(expectedCount, 5u);
  Bytes bytes = movie.bytes;
  RecordingSink sink;
  const WalkOutcome outcome = walkBytes(bytes, kRules, sink);
  EXPECT_EQ(outcome.result, WalkResult::Done);
  EXPECT_EQ(outcome.fixCount, 5u);
  EXPECT_EQ(bytes, expected);
  EXPECT_EQ(sink.begins, 1);
  EXPECT_EQ(sink.total, movie.chunkCount);
  EXPECT_EQ(sink.steps, movie.chunkCount);
  // Fixes are reported in the order the walk meets them.
  ASSERT_EQ(sink.fixes.size(), 5u);
  EXPECT_EQ(sink.fixes[0].valueOffset, movie.references[0].offset);
  EXPECT_EQ(sink.fixes[4].valueOffset, movie.references[5].offset);
}

TEST(MovieWalkTest, AReferenceReachedTwiceSeesItsFirstFix) {
  // Both index records point at the same chunk data: the second visit must
  // read the value the first one wrote, and find nothing more to do.
  BuiltMovie movie = MovieBuilder(12).addActr({2, "ABCD", 7}).addActr({0, "ZZZZ", 0}).build();
  const std::uint64_t record1 = movie.indexOffset + 20 + 16 + 8;
  writeLe32(movie.chunkDataOffsets[0], movie.bytes.data() + record1);
  const std::vector<Rule> rules = {{"ABCD", 7, 2, 5}};
  Bytes bytes = movie.bytes;
  EXPECT_EQ(walkBytes(bytes, rules).fixCount, 1u);
  EXPECT_EQ(readLe32(bytes.data() + movie.references[0].offset), 5u);
}

TEST(MovieWalkTest, AMovieWithoutKnownChunksRunsTheBarToItsEnd) {
  const BuiltMovie movie = MovieBuilder(13)
                               .addOtherChunk(makeChunkTag("SND "), 40)
                               .addOtherChunk(makeChunkTag("actr"), 48)
                               .addOtherChunk(makeChunkTag("TDT\0"), 48)
                               .build();
  Bytes bytes = movie.bytes;
  RecordingSink sink;
  const WalkOutcome outcome = walkBytes(bytes, kRules, sink);
  EXPECT_EQ(outcome.result, WalkResult::Done);
  EXPECT_EQ(outcome.fixCount, 0u);
  EXPECT_EQ(sink.total, 3u);
  EXPECT_EQ(sink.steps, 3u);
  EXPECT_EQ(bytes, movie.bytes);
}

TEST(MovieWalkTest, AnEmptyIndexIsDone) {
  const BuiltMovie movie = MovieBuilder(14).build();
  Bytes bytes = movie.bytes;
  RecordingSink sink;
  const WalkOutcome outcome = walkBytes(bytes, kRules, sink);
  EXPECT_EQ(outcome.result, WalkResult::Done);
  EXPECT_EQ(sink.begins, 1);
  EXPECT_EQ(sink.total, 0u);
  EXPECT_EQ(sink.steps, 0u);
}

TEST(MovieWalkTest, FilesWithoutTheMagicAreNotValid) {
  const Bytes valid = everyKind().bytes;
  std::vector<Bytes> invalid = {{}, {'C'}, {'C', 'H', 'N'}, {'C', 'H', 'N', '2'}};
  Bytes reversed = valid;
  std::copy_n("2NHC", 4, reversed.begin());
  invalid.push_back(reversed);
  Bytes lowercase = valid;
  lowercase[2] = 'n';
  invalid.push_back(lowercase);
  Bytes headerCut(valid.begin(), valid.begin() + 27);  // index offset's neighbour missing
  invalid.push_back(headerCut);
  for (Bytes bytes : invalid) {
    const Bytes original = bytes;
    RecordingSink sink;
    const WalkOutcome outcome = walkBytes(bytes, kRules, sink);
    EXPECT_EQ(outcome.result, WalkResult::NotValid) << "size " << original.size();
    EXPECT_EQ(sink.begins, 0);
    EXPECT_EQ(bytes, original);
  }
}

TEST(MovieWalkTest, AgreesWithTheBuildersModelOnRandomMovies) {
  std::mt19937 generator(20261209);
  auto random = [&generator] { return static_cast<std::uint32_t>(generator()); };
  const char* tags[] = {"ABCD", "WAVE", "PIC ", "abcd"};
  for (int round = 0; round < 40; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    auto reference = [&] {
      return Reference{random() % 4, tags[random() % 4], random() % 3, random()};
    };
    MovieBuilder builder(random());
    const int chunks = static_cast<int>(random() % 60);
    for (int c = 0; c < chunks; ++c) {
      switch (random() % 6) {
        case 0:
          builder.addActr(reference());
          break;
        case 1:
          builder.addTdt(reference());
          break;
        case 2:
          builder.addOtherChunk(random(), random() % 64);
          break;
        default: {
          const ChunkTag groupTags[] = {kTagGgae, kTagGgfr, kTagGgst};
          std::vector<Element> elements;
          for (std::uint32_t e = random() % 8; e > 0; --e) {
            elements.push_back({random() % 8, reference(), {}});
          }
          builder.addGroupChunk(groupTags[random() % 3], elements);
        }
      }
    }
    std::vector<Rule> rules;
    for (std::uint32_t r = random() % 12; r > 0; --r) {
      rules.push_back({tags[random() % 4], random() % 3, random() % 4, random() % 4});
    }
    const BuiltMovie movie = builder.build();
    std::uint64_t expectedCount = 0;
    const Bytes expected = expectedAfterFix(movie, rules, &expectedCount);
    Bytes bytes = movie.bytes;
    const WalkOutcome outcome = walkBytes(bytes, rules);
    EXPECT_EQ(outcome.result, WalkResult::Done);
    EXPECT_EQ(outcome.fixCount, expectedCount);
    EXPECT_EQ(bytes, expected);
  }
}

TEST(MovieWalkTest, AsksBeforeEachFixAndWritesNoFixAfterARefusal) {
  struct Case {
    const char* what;
    std::vector<Rule> rules;
    bool dryRun;
    int refuseAt;  // the answer is no from this question on; -1: never
    int asked;
    WalkResult result;
    std::uint64_t fixCount;
  };
  const Case cases[] = {
      {"allowed", kRules, false, -1, 5, WalkResult::Done, 5},
      {"refused at once", kRules, false, 0, 1, WalkResult::WriteRefused, 0},
      {"refused at the third", kRules, false, 2, 3, WalkResult::WriteFailed, 2},
      {"nothing to fix", {{"NONE", 1, 2, 3}}, false, 0, 0, WalkResult::Done, 0},
      {"dry run", kRules, true, 0, 0, WalkResult::Done, 5},
  };
  const BuiltMovie movie = everyKind();
  Bytes unchanged = movie.bytes;
  RecordingSink dryRun;
  walkBytes(unchanged, kRules, dryRun, WalkOptions{true});
  const std::vector<FixedReference>& allFixes = dryRun.fixes;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes bytes = movie.bytes;
    int asked = 0;
    WalkOptions options;
    options.dryRun = c.dryRun;
    options.beforeFixWritten = [&](const FixedReference& fix) {
      // Asked with the fix about to be written, before its word changed.
      const FixedReference& expected = allFixes.at(static_cast<std::size_t>(asked));
      EXPECT_EQ(fix.valueOffset, expected.valueOffset);
      EXPECT_EQ(fix.newValue, expected.newValue);
      EXPECT_EQ(readLe32(bytes.data() + fix.valueOffset), fix.oldValue);
      ++asked;
      return c.refuseAt < 0 || asked <= c.refuseAt;
    };
    DeviceLog log;
    MovieStream file(std::make_unique<MemoryDevice>(bytes, true, &log));
    RecordingSink sink;
    const WalkOutcome outcome = walkMovie(file, toTable(c.rules), sink, options);
    EXPECT_EQ(asked, c.asked);
    EXPECT_EQ(outcome.result, c.result);
    EXPECT_EQ(outcome.fixCount, c.fixCount);
    EXPECT_EQ(sink.fixes.size(), c.fixCount);
    const std::uint64_t writes = c.dryRun ? 0 : c.fixCount;
    Bytes expected = movie.bytes;
    for (std::size_t i = 0; i < writes; ++i) {
      writeLe32(allFixes[i].newValue, expected.data() + allFixes[i].valueOffset);
    }
    EXPECT_EQ(bytes, expected);
    EXPECT_EQ(log.writes, static_cast<int>(writes));
    EXPECT_EQ(log.syncs, writes > 0 ? 1 : 0);
  }
}

class MovieFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("vantrel-walk-" +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string path(const char* name) const { return (dir_ / name).string(); }
  std::filesystem::path dir_;
};

TEST_F(MovieFileTest, PatchesAFileInPlace) {
  const BuiltMovie movie = everyKind();
  writeFile(path("a.qlm"), movie.bytes);
  RecordingSink sink;
  const WalkOutcome outcome = patchMovie(path("a.qlm"), toTable(kRules), sink);
  EXPECT_EQ(outcome.result, WalkResult::Done);
  EXPECT_EQ(outcome.fixCount, 5u);
  EXPECT_EQ(readFile(path("a.qlm")), expectedAfterFix(movie, kRules));
}

TEST_F(MovieFileTest, DryRunLeavesTheFileAsItWas) {
  const BuiltMovie movie = everyKind();
  writeFile(path("a.qlm"), movie.bytes);
  RecordingSink sink;
  const WalkOutcome outcome = patchMovie(path("a.qlm"), toTable(kRules), sink, WalkOptions{true});
  EXPECT_EQ(outcome.result, WalkResult::Done);
  EXPECT_EQ(outcome.fixCount, 5u);
  EXPECT_EQ(sink.fixes.size(), 5u);
  EXPECT_EQ(readFile(path("a.qlm")), movie.bytes);
}

// The real file device of a movie; just before the walk's first write,
// another handle on the same file writes `change` at `changeAt`, as another
// program might while the movie is being repaired.
class SecondWriterDevice : public FileDevice {
 public:
  SecondWriterDevice(const std::string& path, std::uint64_t changeAt, Bytes change)
      : real_(openFileDevice(path, OpenMode::ReadWrite)),
        path_(path),
        changeAt_(changeAt),
        change_(std::move(change)) {}

  std::uint64_t size() const override { return real_->size(); }
  std::size_t readAt(std::uint64_t offset, unsigned char* out, std::size_t n) override {
    return real_->readAt(offset, out, n);
  }
  bool writeAt(std::uint64_t offset, const unsigned char* data, std::size_t n) override {
    if (!changed_) {
      changed_ = true;
      std::fstream other(path_, std::ios::in | std::ios::out | std::ios::binary);
      other.seekp(static_cast<std::streamoff>(changeAt_));
      other.write(reinterpret_cast<const char*>(change_.data()),
                  static_cast<std::streamsize>(change_.size()));
      EXPECT_TRUE(other.flush()) << "the second writer could not write";
    }
    return real_->writeAt(offset, data, n);
  }
  bool sync() override { return real_->sync(); }
  bool close() override { return real_->close(); }

 private:
  std::unique_ptr<FileDevice> real_;
  std::string path_;
  std::uint64_t changeAt_;
  Bytes change_;
  bool changed_ = false;
};

TEST_F(MovieFileTest, AnotherProgramsWriteBetweenTwoFixesSurvives) {
  // Two fixes 1,000 bytes apart in one window of the stream, which the walk
  // has read whole before its first write.
  const BuiltMovie movie = MovieBuilder(15)
                               .addActr({2, "ABCD", 7})
                               .addOtherChunk(makeChunkTag("SND "), 952)
                               .addActr({100, "WAVE", 1})
                               .build();
  ASSERT_EQ(movie.references[1].offset - movie.references[0].offset, 1000u);
  writeFile(path("a.qlm"), movie.bytes);
  const std::uint64_t gap = movie.references[0].offset + 500;
  const Bytes change = {0xDE, 0xAD, 0xBE, 0xEF};
  MovieStream file(std::make_unique<SecondWriterDevice>(path("a.qlm"), gap, change));
  RecordingSink sink;
  const WalkOutcome outcome = walkMovie(file, toTable(kRules), sink);
  EXPECT_EQ(outcome.result, WalkResult::Done);
  EXPECT_EQ(outcome.fixCount, 2u);
  Bytes expected = expectedAfterFix(movie, kRules);
  std::copy(change.begin(), change.end(), expected.begin() + static_cast<std::ptrdiff_t>(gap));
  EXPECT_EQ(readFile(path("a.qlm")), expected);
}

// A sink that, at the walk's first fix, has another handle on the movie
// write `change` at `changeAt`, as another program might meanwhile.
class WriterAtFirstFix : public RecordingSink {
 public:
  WriterAtFirstFix(std::string path, std::uint64_t changeAt, Bytes change)
      : path_(std::move(path)), changeAt_(changeAt), change_(std::move(change)) {}
  void referenceFixed(const FixedReference& fix) override {
    if (fixes.empty()) {
      std::fstream other(path_, std::ios::in | std::ios::out | std::ios::binary);
      other.seekp(static_cast<std::streamoff>(changeAt_));
      other.write(reinterpret_cast<const char*>(change_.data()),
                  static_cast<std::streamsize>(change_.size()));
      EXPECT_TRUE(other.flush()) << "the second writer could not write";
    }
    RecordingSink::referenceFixed(fix);
  }

 private:
  std::string path_;
  std::uint64_t changeAt_;
  Bytes change_;
};

TEST_F(MovieFileTest, AnotherProgramsWriteInALaterWindowIsSeen) {
  // The first reference in the movie's first 256 KiB, the second 400,000
  // bytes on, in a part of the file the walk has not read when it makes
  // its first fix: another program then puts the rule's old value there,
  // and the walk, reading that part only when it gets there, fixes it too.
  const BuiltMovie movie = MovieBuilder(16)
                               .addActr({2, "ABCD", 7})
                               .addOtherChunk(makeChunkTag("SND "), 400000)
                               .addActr({5, "ABCD", 7})
                               .addOtherChunk(makeChunkTag("SND "), 300000)
                               .build();
  const std::uint64_t second = movie.references[1].offset;
  ASSERT_LT(movie.references[0].offset, 262144u);
  ASSERT_GE(second, 2 * 262144u - 200000);
  writeFile(path("a.qlm"), movie.bytes);
  Bytes bad(4);
  writeLe32(2, bad.data());
  WriterAtFirstFix sink(path("a.qlm"), second, bad);
  const WalkOutcome outcome = patchMovie(path("a.qlm"), toTable(kRules), sink);
  EXPECT_EQ(outcome.result, WalkResult::Done);
  EXPECT_EQ(outcome.fixCount, 2u);
  ASSERT_EQ(sink.fixes.size(), 2u);
  EXPECT_EQ(sink.fixes[1].valueOffset, second);
  Bytes expected = movie.bytes;
  writeLe32(5, expected.data() + movie.references[0].offset);
  EXPECT_EQ(readFile(path("a.qlm")), expected);
}

TEST_F(MovieFileTest, WhatCannotBeOpenedIsReportedWithItsReason) {
  ASSERT_EQ(::mkfifo(path("pipe.qlm").c_str(), 0600), 0);
  struct Case {
    std::string path;
    OpenProblem problem;
    long systemError;
  };
  const Case cases[] = {
      {path("absent.qlm"), OpenProblem::SystemError, ENOENT},
      {"", OpenProblem::SystemError, ENOENT},
      {dir_.string(), OpenProblem::IsDirectory, 0},
      {path("pipe.qlm"), OpenProblem::NotRegularFile, 0},  // never opened, so never waited on
      {"/dev/null", OpenProblem::NotRegularFile, 0},
  };
  RecordingSink sink;
  for (const Case& c : cases) {
    for (const bool dryRun : {false, true}) {
      SCOPED_TRACE(c.path + (dryRun ? ", read only" : ""));
      const WalkOutcome outcome = patchMovie(c.path, toTable(kRules), sink, WalkOptions{dryRun});
      EXPECT_EQ(outcome.result, WalkResult::CannotOpen);
      EXPECT_EQ(outcome.openFailure.problem, c.problem);
      EXPECT_EQ(outcome.openFailure.systemError, c.systemError);
    }
  }
  EXPECT_EQ(sink.begins, 0);
}

}  // namespace
}  // namespace vantrel
