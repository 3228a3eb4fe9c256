// Writes the seed corpus of the fuzz targets from the movie builder and the
// rule writer: rule files for fuzz_rule_loader, movies with their rules for
// fuzz_walk (see walk_input.h), intact and damaged.
//
//   vantrel-fuzz-seeds DIR    writes DIR/rule_loader/*.dat and DIR/walk/*.bin
#include <filesystem>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "fuzz/walk_input.h"
#include "movie/le_word.h"
#include "tests/support/hostile_movies.h"
#include "tests/support/model_walk.h"
#include "tests/support/movie_builder.h"
#include "tests/support/random_movies.h"
#include "tests/support/sample_movies.h"

namespace vantrel::fuzz {
namespace {

using namespace moviekit;
namespace fs = std::filesystem;

void writeSeed(const fs::path& path, const std::string& bytes) {
  writeFile(path.string(), Bytes(bytes.begin(), bytes.end()));
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos;
       at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

void ruleSeeds(const fs::path& dir) {
  const std::vector<Rule> signedRules = {{"SND ", 0xFFFFFFFFu, 0x80000000u, 0x7FFFFFFFu},
                                         {"snd ", 12, 4410, 44100},
                                         {"SND ", 12, 1, 2},
                                         {"AB\n ", 3, 0, 0}};
  const std::string demo = fixText(demoRules());
  writeSeed(dir / "demo.dat", demo);
  writeSeed(dir / "signed_and_repeated.dat", fixText(signedRules));
  writeSeed(dir / "crlf.dat", replaced(demo, "\n", "\r\n"));
  writeSeed(dir / "lone_cr_and_blank_lines.dat", replaced(demo, "\n", "\r\n\n \t\v\f"));
  writeSeed(dir / "ctrl_z.dat", demo + "\x1a" + demo);
  writeSeed(dir / "one_line_no_blanks.dat", replaced(replaced(demo, "\n", " "), "-SND  ", "-SND "));
  writeSeed(dir / "comment_line.dat", fixText({demoRules()[0]}) + "# comment\n" + demo);
  writeSeed(dir / "last_record_cut_short.dat", demo.substr(0, demo.size() - 3));
  writeSeed(dir / "long_numbers.dat", replaced(demo, " 12 ", " +0000000000012 ") +
                                          "-BMAP 99999999999999999999 -4294967297 +1\n");
  writeSeed(dir / "leading_blank.dat", " " + demo);
}

void walkSeed(const fs::path& dir, const std::string& name, const std::vector<Rule>& rules,
              const Bytes& movie, bool dryRun = false, bool repeated = false) {
  const Bytes input = encodeWalkInput(toFixRules(rules), dryRun, repeated, movie);
  writeFile((dir / name).string(), input);
}

const std::vector<Rule> kRules = {
    {"SND ", 1, 2, 5}, {"BMAP", 7, 0xFFFFFFFFu, 640}, {"PAL ", 0xFFFFFFFFu, 16, 256}};

Reference bad(std::size_t rule) {
  return {kRules[rule].oldValue, kRules[rule].tag, kRules[rule].number};
}
Reference good(std::size_t rule) {
  return {kRules[rule].newValue, kRules[rule].tag, kRules[rule].number};
}

BuiltMovie everyKind() {
  return MovieBuilder(31)
      .addActr(bad(0))
      .addTdt(bad(1))
      .addGroupChunk(kTagGgae, {{2, bad(2), {}}, {6, bad(0), {}}, {4, bad(1), 8}, {1, {}, {}}})
      .addGroupChunk(kTagGgfr, {{1, bad(1), {}}, {4, good(2), {}}, {2, bad(0), 32}, {6, {}, {}}})
      .addGroupChunk(kTagGgst, {{4, bad(0), {}}, {1, bad(2), {}}})
      .addOtherChunk(makeChunkTag("SND "), 8)
      .addChunkWithTagBytes("ACTR", bad(0))
      .build();
}

void writeWord(Bytes& bytes, std::uint64_t at, std::uint32_t value) {
  if (at + 4 <= bytes.size()) writeLe32(value, bytes.data() + at);
}

void walkSeeds(const fs::path& dir) {
  const BuiltMovie movie = everyKind();
  const std::uint64_t index = movie.indexOffset;
  walkSeed(dir, "every_kind.bin", kRules, movie.bytes);
  walkSeed(dir, "every_kind_dry_run.bin", kRules, movie.bytes, true);
  walkSeed(dir, "every_kind_repeated.bin", kRules, movie.bytes, false, true);
  walkSeed(dir, "demo.bin", demoRules(), demoMovie().bytes);
  walkSeed(dir, "old_equals_new.bin", {{"SND ", 1, 2, 2}, {"SND ", 1, 7, 8}}, movie.bytes);

  for (const ChunkTag tag : {kTagGgae, kTagGgfr, kTagGgst}) {
    std::vector<Element> elements;
    for (const std::uint32_t kind : {0u, 1u, 2u, 3u, 4u, 5u, 6u}) {
      elements.push_back({kind, bad(kind % 3), {}});
    }
    const std::string name = tag == kTagGgae ? "ggae" : tag == kTagGgfr ? "ggfr" : "ggst";
    walkSeed(dir, "kinds_" + name + ".bin", kRules,
             MovieBuilder(tag).addGroupChunk(tag, elements).build().bytes);
  }

  Bytes cut = movie.bytes;
  cut.resize(index + 30);
  walkSeed(dir, "cut_in_the_index.bin", kRules, cut);
  Bytes hugeCount = movie.bytes;
  writeWord(hugeCount, index + 4, 0xFFFFFFFFu);
  walkSeed(dir, "index_count_too_large.bin", kRules, hugeCount);
  Bytes emptyIndex = movie.bytes;
  writeWord(emptyIndex, index + 4, 0);
  walkSeed(dir, "empty_index.bin", kRules, emptyIndex);
  Bytes overlapping = movie.bytes;
  // The second record's 'TDT ' reference moved 6 bytes on, across the first
  // chunk's reference; and a group's count past what its table can hold.
  writeWord(overlapping, index + 20 + 16 + 8, movie.chunkDataOffsets[0] + 28 - 8 + 6);
  writeWord(overlapping, movie.chunkDataOffsets[2] + 4, 0x10000000u);
  walkSeed(dir, "overlapping_references.bin", kRules, overlapping);
  Bytes elementsOutside = movie.bytes;
  const std::uint64_t table =
      movie.chunkDataOffsets[3] + 20 + readLe32(movie.bytes.data() + movie.chunkDataOffsets[3] + 8);
  writeWord(elementsOutside, table, static_cast<std::uint32_t>(movie.bytes.size()));
  writeWord(elementsOutside, table + 8, 0xFFFFFFF0u);
  walkSeed(dir, "elements_outside_the_file.bin", kRules, elementsOutside);
  Bytes noMagic = movie.bytes;
  noMagic[0] = '2';
  noMagic[3] = 'C';
  walkSeed(dir, "magic_reversed_ends.bin", kRules, noMagic);

  // Structures whose element visits grow with the square of their size,
  // small enough for the fuzzer: the walk refuses them, or stops where a
  // fix raises a count past its budget.
  const std::vector<Rule> hostileRules = {{"BMAP", 7, 1, 2}, raiseCountRule(256)};
  walkSeed(dir, "hostile_repeated_group.bin", hostileRules, repeatedGroupMovie(64, 512));
  walkSeed(dir, "hostile_overlapping_groups.bin", hostileRules, overlappingGroupsMovie(64, 256));
  walkSeed(dir, "hostile_count_raised_by_a_fix.bin", hostileRules, countRaisedByAFixMovie(256, 8));

  std::mt19937 random(4401);
  for (int i = 0; i < 4; ++i) {
    Scenario scenario = randomScenario(random);
    if (i % 2 == 1) overwriteStructure(scenario.movie, scenario.movie.bytes, random, 2);
    walkSeed(dir, "random_" + std::to_string(i) + ".bin", scenario.rules, scenario.movie.bytes);
  }
}

}  // namespace
}  // namespace vantrel::fuzz

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: vantrel-fuzz-seeds DIR\n";
    return 2;
  }
  namespace fs = std::filesystem;
  const fs::path dir(argv[1]);
  try {
    fs::create_directories(dir / "rule_loader");
    fs::create_directories(dir / "walk");
    vantrel::fuzz::ruleSeeds(dir / "rule_loader");
    vantrel::fuzz::walkSeeds(dir / "walk");
  } catch (const std::exception& error) {
    std::cerr << "vantrel-fuzz-seeds: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
