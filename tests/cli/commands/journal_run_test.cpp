// vantrel --journal and --undo, end to end: the journal against the plain
// model of the walk, undo back to the original bytes (after one repair or
// two, after a kill at any moment), words changed since, cut lines, a full
// disk, and the order of the journal's sync and the movie's first write.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <sstream>
#include <thread>

#include "movie/le_word.h"
#include "tests/support/bench_movies.h"
#include "tests/support/cli_program_fixture.h"
#include "tests/support/json_records.h"
#include "tests/support/random_movies.h"
#include "tests/support/sample_movies.h"
#include "tests/support/small_tmpfs.h"

namespace vantrel {
namespace {

using namespace moviekit;
namespace fs = std::filesystem;

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Rules for a second repair: each key that `fixes` fixed gets a rule that
// changes its new value again, so that the repairs must be undone in turn.
std::vector<Rule> rulesAfter(const std::vector<ModelFix>& fixes) {
  std::vector<Rule> rules;
  for (const ModelFix& fix : fixes) {
    rules.push_back({std::string(fix.tag.begin(), fix.tag.end()), fix.number, fix.newValue,
                     fix.newValue ^ 0x5A5A5A5Au});
  }
  return rules;
}

class JournalTest : public ProgramTest {
 protected:
  RunResult repair(const std::vector<Rule>& rules, const std::string& movie,
                   std::vector<std::string> more = {}) {
    writeText("fix.dat", fixText(rules));
    std::vector<std::string> args = {"--journal", "--rules", path("fix.dat")};
    args.insert(args.end(), more.begin(), more.end());
    args.push_back(movie);
    return run(args);
  }
};

TEST_F(JournalTest, RandomMoviesRepairedOnceOrTwiceAreUndoneToTheirOriginalBytes) {
  std::mt19937 random(1717);
  const std::string moviePath = path("m.qlm");
  std::uint64_t undoneInAll = 0;
  for (int i = 0; i < 70; ++i) {
    const Scenario scenario = randomScenario(random, i % 9 == 0);
    // Damage some, so that references overlap and reads see earlier writes.
    const Bytes original = damagedInTurn(scenario, i, random);
    writeFile(moviePath, original);
    const std::vector<FixRule> rules = toFixRules(scenario.rules);
    SCOPED_TRACE("scenario " + std::to_string(i) + ", rules:\n" + fixText(scenario.rules));

    const ModelWalk first = modelWalk(original, rules);
    const RunResult repaired = repair(scenario.rules, moviePath, {"--list", "--json"});
    ASSERT_EQ(readFile(moviePath), first.bytes) << repaired.err;
    std::string records;
    for (const ModelFix& fix : first.fixes) records += fixRecord(moviePath, fix, rules);
    // What the repair lists is what it wrote, as without a journal.
    EXPECT_EQ(repaired.out.substr(0, records.size()), records);
    EXPECT_EQ(repaired.out.find("\"type\":\"fix\"", records.size()), std::string::npos);
    if (first.fixes.empty()) {
      EXPECT_FALSE(fs::exists(moviePath + ".undo"));
      continue;
    }
    const std::string journal = slurp(moviePath + ".undo");
    // The journal holds just the fixes the repair made, in its order.
    EXPECT_EQ(journal, records);

    std::uint64_t expectedUndone = first.fixCount;
    if (i % 2 == 0) {
      const std::vector<Rule> again = rulesAfter(first.fixes);
      const ModelWalk second = modelWalk(first.bytes, toFixRules(again));
      repair(again, moviePath);
      ASSERT_EQ(readFile(moviePath), second.bytes);
      expectedUndone += second.fixCount;
    }
    const RunResult undone = run({"--undo", moviePath});
    EXPECT_EQ(undone.exitCode, 0) << undone.err;
    ASSERT_EQ(readFile(moviePath), original) << undone.out << undone.err;
    EXPECT_FALSE(fs::exists(moviePath + ".undo"));
    if (i % 3 == 0) {
      EXPECT_EQ(undone.out, moviePath + ": " + std::to_string(expectedUndone) +
                                (expectedUndone == 1 ? " fix undone\n" : " fixes undone\n"));
    }
    undoneInAll += expectedUndone;
  }
  EXPECT_GT(undoneInAll, 60u);  // or the comparison proves little
}

// A movie whose last chunk's reference lies 8 bytes before the first's, so
// that the first's value word is the last's tag, with enough chunks between
// them that the walk's stream no longer holds the first fix when it reads
// that tag. Only a walk that reads the first fix back, pending in its batch,
// finds the last one.
TEST_F(JournalTest, AFixReadAgainFarApartIsReadBackAsWritten) {
  MovieBuilder builder(21);
  builder.addActr({2, "ABCD", 7});
  for (int i = 0; i < 5; ++i) {
    builder.addOtherChunk(makeChunkTag("SND "), 300000).addActr({9, "NONE", 1});
  }
  const BuiltMovie built = builder.addActr({0, "LAST", 0}).build();
  Bytes bytes = built.bytes;
  const std::uint32_t first = built.chunkDataOffsets.front();
  // The last chunk's record: its tag word, then its data offset 8 bytes on.
  for (std::size_t at = built.indexOffset; at + 12 <= bytes.size(); ++at) {
    if (readLe32(bytes.data() + at) == kTagActr &&
        readLe32(bytes.data() + at + 8) == built.chunkDataOffsets.back()) {
      writeLe32(first - 8, bytes.data() + at + 8);
    }
  }
  // The first fix writes "ABCD" as its new value, the last one's tag.
  const std::uint32_t lastValue = readLe32(bytes.data() + first + 20);
  const std::uint32_t lastNumber = readLe32(bytes.data() + first + 32);
  const std::vector<Rule> rules = {{"ABCD", 7, 2, 0x44434241u},
                                   {"ABCD", lastNumber, lastValue, 77}};
  const ModelWalk model = modelWalk(bytes, toFixRules(rules));
  ASSERT_EQ(model.fixCount, 2u);

  const std::string movie = path("far.qlm");
  writeFile(movie, bytes);
  const RunResult repaired = repair(rules, movie);
  EXPECT_EQ(repaired.exitCode, 0) << repaired.err;
  EXPECT_EQ(readFile(movie), model.bytes);
  EXPECT_EQ(linesOf(slurp(movie + ".undo")).size(), 2u);
  const RunResult undone = run({"--undo", movie});
  EXPECT_EQ(undone.out, movie + ": 2 fixes undone\n") << undone.err;
  EXPECT_EQ(readFile(movie), bytes);
}

TEST_F(JournalTest, UndoListsAndRecordsEachWordItRestoresLastFirst) {
  const std::string movie = path("demo.qlm");
  writeFile(movie, demoMovie().bytes);
  ASSERT_EQ(repair(demoRules(), movie).exitCode, 0);
  const std::string journal = slurp(movie + ".undo");

  const RunResult dry = run({"--undo", "--dry-run", "--list", movie});
  EXPECT_EQ(dry.exitCode, 0);
  EXPECT_EQ(dry.out,
            movie + ": 0x00000218 'PAL ' 2: 16 -> 256\n" + movie +
                ": 0x0000018c 'SCRP' 40: 2 -> 1\n" + movie + ": 0x00000124 'PAL ' 2: 16 -> 256\n" +
                movie + ": 0x000000e4 'BMAP' 3: 640 -> -1\n" + movie +
                ": 0x0000009c 'FONT' 1: 9 -> 7\n" + movie +
                ": 0x00000050 'SND ' 12: 44100 -> 4410\n" + movie + ": 6 fixes would be undone\n");
  EXPECT_EQ(slurp(movie + ".undo"), journal);

  const RunResult json = run({"--undo", "--json", movie});
  EXPECT_EQ(json.exitCode, 0);
  const std::vector<std::string> records = linesOf(json.out);
  ASSERT_EQ(records.size(), 8u) << json.out;
  EXPECT_EQ(records[0],
            "{\"type\":\"undo\",\"movie\":" + jsonText(movie) +
                ",\"offset\":536,\"tag\":\"PAL \",\"number\":2,\"from\":16,\"to\":256}");
  EXPECT_EQ(records[6], "{\"type\":\"result\",\"movie\":" + jsonText(movie) +
                            ",\"result\":\"Done\",\"fixes\":6,\"dryRun\":false}");
  EXPECT_EQ(records[7], "{\"type\":\"summary\",\"movies\":1,\"done\":1,\"failed\":0,\"fixes\":6}");
  EXPECT_EQ(readFile(movie), demoMovie().bytes);
}

TEST_F(JournalTest, AWordChangedSinceIsLeftAsItIsAndTheJournalKept) {
  struct Case {
    const char* what;
    std::uint64_t at;     // from the value word of the SCRP fix at 0x18c
    std::uint32_t value;  // written there after the repair
    std::string told;
  };
  const Case cases[] = {
      {"value", 0, 77, "the word at 0x0000018c holds 77, not 2 as the repair left it"},
      {"number", 12, 41, "the reference at 0x0000018c is no longer 'SCRP' 40"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string movie = path("demo.qlm");
    const Bytes original = demoMovie().bytes;
    writeFile(movie, original);
    writeFile(path("b.qlm"), original);
    ASSERT_EQ(repair(demoRules(), movie).exitCode, 0);
    ASSERT_EQ(repair(demoRules(), path("b.qlm")).exitCode, 0);
    Bytes bytes = readFile(movie);
    writeLe32(c.value, bytes.data() + 0x18c + c.at);
    writeFile(movie, bytes);

    const RunResult undone = run({"--undo", movie, path("b.qlm")});
    EXPECT_EQ(undone.exitCode, 3);
    EXPECT_EQ(undone.err, movie + ": " + c.told + ": changed since, so it is left as it is\n" +
                              movie + ": 5 fixes undone, 1 record not; the journal " + movie +
                              ".undo is kept\n");
    EXPECT_EQ(undone.out, path("b.qlm") + ": 6 fixes undone\n\n" +
                              "2 movies: 1 undone, 1 failed; 11 fixes undone\n");
    Bytes expected = original;
    writeLe32(readLe32(bytes.data() + 0x18c), expected.data() + 0x18c);
    writeLe32(readLe32(bytes.data() + 0x18c + 12), expected.data() + 0x18c + 12);
    EXPECT_EQ(readFile(movie), expected);
    EXPECT_TRUE(fs::exists(movie + ".undo"));
    EXPECT_EQ(readFile(path("b.qlm")), original);
    fs::remove(movie + ".undo");
  }
}

TEST_F(JournalTest, ACutLastLineIsPassedOverAndEndedByTheNextRepair) {
  const std::string movie = path("demo.qlm");
  const Bytes original = demoMovie().bytes;
  writeFile(movie, original);
  ASSERT_EQ(repair(demoRules(), movie).exitCode, 0);
  // What a run stopped while writing its batch leaves: the start of a
  // record that, read whole, would "undo" a word it never wrote.
  const std::string cut =
      "{\"type\":\"fix\",\"movie\":\"x\",\"offset\":28,\"tag\":\"SND \",\"number\":12,"
      "\"old\":1,\"new\":4410,\"line\"";
  std::ofstream(movie + ".undo", std::ios::app | std::ios::binary) << cut;
  const RunResult first = run({"--undo", "--dry-run", movie});
  EXPECT_EQ(first.out, movie + ": 6 fixes would be undone\n");

  // A second repair ends the cut line first, so its own records stand whole.
  const std::vector<Rule> again = {{"PAL ", 2, 16, 17}};
  ASSERT_EQ(repair(again, movie).exitCode, 0);
  const std::vector<std::string> lines = linesOf(slurp(movie + ".undo"));
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(lines[6], cut);
  const RunResult undone = run({"--undo", movie});
  EXPECT_EQ(undone.exitCode, 0) << undone.err;
  EXPECT_EQ(undone.out, movie + ": 8 fixes undone\n");
  EXPECT_EQ(readFile(movie), original);
  EXPECT_FALSE(fs::exists(movie + ".undo"));
}

TEST_F(JournalTest, NoJournalWithoutAFixOrInADryRunAndUndoWithoutOneFails) {
  const std::string movie = path("demo.qlm");
  writeFile(movie, demoMovie().bytes);
  EXPECT_EQ(repair({{"NONE", 1, 2, 3}}, movie).exitCode, 0);
  EXPECT_EQ(repair(demoRules(), movie, {"--dry-run"}).exitCode, 0);
  EXPECT_EQ(repair(demoRules(), movie, {"--references"}).exitCode, 0);
  EXPECT_FALSE(fs::exists(movie + ".undo"));
  EXPECT_EQ(readFile(movie), demoMovie().bytes);

  writeFile(path("b.qlm"), demoMovie().bytes);
  ASSERT_EQ(repair(demoRules(), path("b.qlm"), {"--journal=.j"}).exitCode, 0);
  const RunResult undone = run({"--undo", "--journal=.j", movie, path("b.qlm")});
  EXPECT_EQ(undone.exitCode, 3);
  EXPECT_EQ(undone.err, movie + ": no journal: " + movie + ".j not found\n");
  EXPECT_EQ(undone.out,
            path("b.qlm") + ": 6 fixes undone\n\n2 movies: 1 undone, 1 failed; 6 fixes undone\n");
  EXPECT_EQ(readFile(path("b.qlm")), demoMovie().bytes);
}

TEST_F(JournalTest, AJournalThatCannotBeWrittenLeavesItsMovieAloneAndTheOthersGoOn) {
  const SmallTmpfs disk(1024);
  if (!disk.mounted()) GTEST_SKIP() << disk.whyNot();
  const std::string full = disk.path("a.qlm");
  writeFile(full, demoMovie().bytes);
  writeFile(path("b.qlm"), demoMovie().bytes);
  disk.fill();
  writeText("fix.dat", fixText(demoRules()));
  const RunResult result = run({"--journal", "--rules", path("fix.dat"), full, path("b.qlm")});
  EXPECT_EQ(result.exitCode, 3);
  EXPECT_EQ(result.err, full + ": Cannot write the journal " + full +
                            ".undo: No space left on device. Nothing was written to the QELM "
                            "file.\n");
  EXPECT_EQ(readFile(full), demoMovie().bytes);
  EXPECT_FALSE(fs::exists(full + ".undo"));
  EXPECT_EQ(readFile(path("b.qlm")), expectedAfterFix(demoMovie(), demoRules()));
  EXPECT_TRUE(fs::exists(path("b.qlm.undo")));
}

TEST_F(JournalTest, AJournalInUseByAnotherRunLeavesTheMovieAsItIs) {
  const std::string movie = path("a.qlm");
  writeFile(movie, demoMovie().bytes);
  ASSERT_EQ(repair({{"SND ", 12, 4410, 4411}}, movie).exitCode, 0);
  const Bytes before = readFile(movie);
  const std::string journal = slurp(movie + ".undo");
  // Another run holds the journal's lock as long as it uses it.
  const int held = ::open((movie + ".undo").c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(held, 0);
  ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
  const std::string told = movie + ": the journal " + movie + ".undo is in use by another run\n";
  const RunResult repaired = repair(demoRules(), movie);
  EXPECT_EQ(repaired.exitCode, 3);
  EXPECT_EQ(repaired.err, told);
  const RunResult undone = run({"--undo", movie});
  EXPECT_EQ(undone.exitCode, 3);
  EXPECT_EQ(undone.err, told);
  const RunResult json = run({"--undo", "--json", movie});
  EXPECT_NE(json.out.find("\"result\":\"JournalInUse\""), std::string::npos) << json.out;
  EXPECT_EQ(readFile(movie), before);
  EXPECT_EQ(slurp(movie + ".undo"), journal);
  ::close(held);
  // Let go, it is the journal as ever.
  EXPECT_EQ(run({"--undo", movie}).exitCode, 0);
  EXPECT_EQ(readFile(movie), demoMovie().bytes);
}

TEST_F(JournalTest, AJournalThatIsNoRegularFileIsRefusedAtOnceAndNeverFollowed) {
  struct Case {
    const char* what;
    void (*make)(const std::string& at, const std::string& target);
  };
  const Case cases[] = {
      {"a symbolic link",
       [](const std::string& at, const std::string& target) { fs::create_symlink(target, at); }},
      {"a named pipe",
       [](const std::string& at, const std::string&) { ::mkfifo(at.c_str(), 0600); }},
      {"a folder", [](const std::string& at, const std::string&) { fs::create_directory(at); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string movie = path("a.qlm");
    const std::string journal = movie + ".undo";
    writeFile(movie, demoMovie().bytes);
    writeText("elsewhere", "kept as it is\n");
    c.make(journal, path("elsewhere"));
    const RunResult repaired = repair(demoRules(), movie);
    EXPECT_EQ(repaired.exitCode, 3);
    EXPECT_EQ(repaired.err, movie + ": Cannot write the journal " + journal +
                                ": not a regular file. Nothing was written to the QELM file.\n");
    for (const char* dry : {"--list", "--dry-run"}) {
      const RunResult undone = run({"--undo", dry, movie});
      EXPECT_EQ(undone.exitCode, 3);
      EXPECT_EQ(undone.err,
                movie + ": cannot read the journal " + journal + ": not a regular file\n");
    }
    EXPECT_EQ(readFile(movie), demoMovie().bytes);
    EXPECT_EQ(slurp(path("elsewhere")), "kept as it is\n");
    fs::remove_all(journal);
  }
}

TEST_F(JournalTest, TagsWithEveryHighByteAreJournaledAndUndone) {
  MovieBuilder builder(1);
  std::vector<Rule> rules;
  for (int byte = 0x80; byte <= 0xFF; ++byte) {
    const std::string tag =
        std::string("A") + static_cast<char>(byte) + "C" + static_cast<char>(0x17F - byte);
    builder.addActr({2, tag, static_cast<std::uint32_t>(byte)});
    rules.push_back({tag, static_cast<std::uint32_t>(byte), 2, 5});
  }
  const BuiltMovie built = builder.build();
  const std::string movie = path("high.qlm");
  writeFile(movie, built.bytes);
  const RunResult repaired = repair(rules, movie);
  EXPECT_EQ(repaired.exitCode, 0) << repaired.err;
  EXPECT_EQ(readFile(movie), expectedAfterFix(built, rules));
  EXPECT_EQ(linesOf(slurp(movie + ".undo")).size(), 128u);
  const RunResult undone = run({"--undo", movie});
  EXPECT_EQ(undone.exitCode, 0) << undone.err;
  EXPECT_EQ(undone.out, movie + ": 128 fixes undone\n");
  EXPECT_EQ(readFile(movie), built.bytes);
}

TEST_F(JournalTest, AnUndoWhoseJournalCameBackAfterItsEndIsFinishedByTheNext) {
  const std::string movie = path("demo.qlm");
  const Bytes original = demoMovie().bytes;
  writeFile(movie, original);
  ASSERT_EQ(repair(demoRules(), movie).exitCode, 0);
  std::vector<Rule> again;
  for (const Rule& rule : demoRules()) again.push_back({rule.tag, rule.number, rule.newValue, 99});
  ASSERT_EQ(repair(again, movie).exitCode, 0);
  const std::string journal = slurp(movie + ".undo");
  ASSERT_EQ(run({"--undo", movie}).exitCode, 0);
  ASSERT_EQ(readFile(movie), original);
  // What a stop before the journal's removal reached the disk leaves.
  writeText("demo.qlm.undo", journal);
  const RunResult rerun = run({"--undo", movie});
  EXPECT_EQ(rerun.exitCode, 0) << rerun.err;
  EXPECT_EQ(rerun.out, movie + ": 0 fixes undone\n");
  EXPECT_EQ(readFile(movie), original);
  EXPECT_FALSE(fs::exists(movie + ".undo"));
}

TEST_F(JournalTest, AJournalLineFarLongerThanAnyRecordIsDamagedAndPassedOver) {
  const std::string movie = path("demo.qlm");
  writeFile(movie, demoMovie().bytes);
  ASSERT_EQ(repair(demoRules(), movie).exitCode, 0);
  const std::string records = slurp(movie + ".undo");
  writeText("demo.qlm.undo", std::string(30 << 20, '{') + "\n" + records);
  const RunResult undone = run({"--undo", movie});
  EXPECT_EQ(undone.exitCode, 3);
  EXPECT_EQ(undone.err, movie +
                            ": the journal's line at byte 0 is not a fix record; it is passed "
                            "over\n" +
                            movie + ": 6 fixes undone, 1 record not; the journal " + movie +
                            ".undo is kept\n");
  EXPECT_EQ(readFile(movie), demoMovie().bytes);
}

// The system calls of a repair, one a line, as strace writes them.
std::vector<std::string> tracedCalls(const std::string& traceFile) {
  return linesOf(slurp(traceFile));
}

TEST_F(JournalTest, TheJournalIsOnTheDiskBeforeTheMoviesFirstWrite) {
  if (std::system("strace -o /dev/null true >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "strace cannot trace here";
  }
  const std::string movie = path("demo.qlm");
  writeFile(movie, demoMovie().bytes);
  writeText("fix.dat", fixText(demoRules()));
  // LeakSanitizer cannot run under a tracer; a sanitized build goes without.
  const RunResult traced =
      run("env", {"ASAN_OPTIONS=detect_leaks=0", "strace", "-o", path("trace"), "-e",
                  "trace=openat,write,pwrite64,fdatasync,fsync,close", VANTREL_CLI_PATH,
                  "--journal", "--rules", path("fix.dat"), movie});
  ASSERT_EQ(traced.exitCode, 0) << traced.err;
  ASSERT_EQ(readFile(movie), expectedAfterFix(demoMovie(), demoRules()));

  // The journal's descriptor, the calls on it, and the movie's first write.
  std::string journalFd;
  bool journalOpened = false;
  int lastJournalWrite = -1, journalSync = -1, folderSync = -1, firstMovieWrite = -1;
  std::string folderFd;
  const std::vector<std::string> calls = tracedCalls(path("trace"));
  for (int i = 0; i < static_cast<int>(calls.size()); ++i) {
    const std::string& call = calls[static_cast<std::size_t>(i)];
    const std::size_t result = call.rfind("= ");
    const std::string fd = result == std::string::npos ? "" : call.substr(result + 2);
    if (call.find("openat(") == 0 && call.find(".undo\"") != std::string::npos) {
      journalFd = fd;
      journalOpened = true;
    }
    if (call.find("openat(") == 0 && call.find("O_DIRECTORY") != std::string::npos) folderFd = fd;
    if (!journalFd.empty() && call.find("write(" + journalFd + ",") == 0) lastJournalWrite = i;
    if (!journalFd.empty() && call.find("fdatasync(" + journalFd + ")") == 0) journalSync = i;
    if (!folderFd.empty() && call.find("fsync(" + folderFd + ")") == 0) folderSync = i;
    if (call.find("pwrite64(") == 0 && firstMovieWrite < 0) firstMovieWrite = i;
    // A closed descriptor's number is taken again (by the sanitizers' own
    // calls, say): no longer the journal's.
    if (!journalFd.empty() && call.find("close(" + journalFd + ")") == 0) journalFd.clear();
  }
  ASSERT_TRUE(journalOpened) << slurp(path("trace"));
  ASSERT_GE(firstMovieWrite, 0);
  EXPECT_LT(lastJournalWrite, journalSync);
  EXPECT_LT(journalSync, firstMovieWrite);
  EXPECT_LT(folderSync, firstMovieWrite);
  EXPECT_GE(folderSync, 0) << "a new journal's folder is synced";
}

TEST_F(JournalTest, ARepairKilledAtAnyMomentIsUndoneToTheOriginalBytes) {
  const BenchMovie bench = benchMovie(60000, 6, 3, 5);
  writeText("fix.dat", benchRules(2000, 5));
  const std::string movie = path("big.qlm");
  std::mt19937 random(4242);
  // How long a whole repair takes, to kill the others within it.
  writeFile(movie, bench.bytes);
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(run({"--quiet", "--journal", "--rules", path("fix.dat"), movie}).exitCode, 0);
  const auto whole = std::chrono::duration_cast<std::chrono::microseconds>(
                         std::chrono::steady_clock::now() - start)
                         .count();
  fs::remove(movie + ".undo");
  for (int i = 0; i < 12; ++i) {
    writeFile(movie, bench.bytes);
    // Every other kill comes early: while the batch is being written.
    const long delay = std::uniform_int_distribution<long>(0, i % 2 ? whole / 5 : whole)(random);
    SCOPED_TRACE("killed after " + std::to_string(delay) + " us of " + std::to_string(whole));
    const pid_t child = fork();
    if (child == 0) {
      if (std::freopen("/dev/null", "w", stdout) == nullptr) _exit(126);
      const std::string rules = path("fix.dat");
      execl(VANTREL_CLI_PATH, "vantrel", "--quiet", "--journal", "--rules", rules.c_str(),
            movie.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    std::this_thread::sleep_for(std::chrono::microseconds(delay));
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    // Killed before its journal was made, it wrote nothing.
    const bool journaled = fs::exists(movie + ".undo");
    const RunResult undone = run({"--undo", movie});
    EXPECT_EQ(undone.exitCode, journaled ? 0 : 3) << undone.err;
    ASSERT_EQ(readFile(movie), bench.bytes) << undone.out << undone.err;
    fs::remove(movie + ".undo");
  }
}

}  // namespace
}  // namespace vantrel
