// Writes the project's sample movies and rule files.
//
//   vantrel-mkmovie demo DIR
//       the bundled demo: DIR/demo.qlm and DIR/fix.dat
//   vantrel-mkmovie archive DIR COUNT [DAMAGED]
//       an archive of COUNT copies of the demo movie, DIR/movie-001.qlm ...,
//       all repaired by the demo's rules but DAMAGED of them (3 unless
//       given), spread among the others, which hold its bad references
//   vantrel-mkmovie bench-movie FILE REFERENCES MEGABYTES [BAD_ONE_IN [SEED]]
//       a benchmark movie in which one reference in BAD_ONE_IN (3 unless
//       given) is bad; prints its reference count and how many a run with any
//       bench-rules file fixes
//   vantrel-mkmovie bench-rules FILE COUNT [SEED]
//       a benchmark rule file of COUNT rules
//   vantrel-mkmovie bench-batch DIR COUNT [BAD_ONE_IN [SEED]]
//       COUNT small movies DIR/00000.qlm ... of which about one in BAD_ONE_IN
//       (10 unless given) holds a bad reference; DIR/list names them all,
//       relative to DIR and each ended by a NUL byte, for --files-from with
//       --null, and DIR/bad in the same way those with a bad reference, the
//       only ones a run changes. Prints the movie, reference and byte counts
//       and how many fixes a run with any bench-rules file makes
//   vantrel-mkmovie hostile FILE SHAPE
//       a movie whose element visits grow with the square of its size:
//       SHAPE repeated-group (768 KB: one group of 65,536 entries that the
//       index lists 32,768 times), repeated-group-8mb (the same shape in
//       8 MB), or overlapping-groups (4,096 groups 12 bytes apart sharing
//       one table of 65,536 entries)

#include <fstream>
#include <iomanip>
#include <iostream>
#include <sstream>
#include <string>
#include <utility>

#include "tests/support/bench_movies.h"
#include "tests/support/hostile_movies.h"
#include "tests/support/sample_movies.h"

namespace {

using namespace vantrel::moviekit;

int writeDemo(const std::string& dir) {
  writeFile(dir + "/demo.qlm", demoMovie().bytes);
  std::ofstream(dir + "/fix.dat", std::ios::binary) << fixText(demoRules());
  return 0;
}

int writeArchive(const std::string& dir, std::uint64_t count, std::uint64_t damaged) {
  const BuiltMovie demo = demoMovie();
  const Bytes good = expectedAfterFix(demo, demoRules());
  for (std::uint64_t i = 0; i < count; ++i) {
    std::ostringstream name;
    name << dir << "/movie-" << std::setw(3) << std::setfill('0') << i + 1 << ".qlm";
    // The damaged ones evenly spread: the first of each of DAMAGED runs.
    const bool isDamaged = damaged > 0 && i * damaged % count < damaged && i < count;
    writeFile(name.str(), isDamaged ? demo.bytes : good);
  }
  return 0;
}

int writeBenchMovie(const std::string& path, std::uint64_t references, std::uint64_t megabytes,
                    std::uint32_t badOneIn, std::uint32_t seed) {
  const BenchMovie movie = benchMovie(references, megabytes, badOneIn, seed);
  writeFile(path, movie.bytes);
  std::cout << "references " << movie.references << " fixes " << movie.expectedFixes << "\n";
  return 0;
}

int writeBenchRules(const std::string& path, std::uint64_t count, std::uint32_t seed) {
  std::ofstream(path, std::ios::binary) << benchRules(count, seed);
  return 0;
}

int writeBenchBatch(const std::string& dir, std::uint64_t count, std::uint32_t badOneIn,
                    std::uint32_t seed) {
  std::string list;
  std::string bad;
  std::uint64_t references = 0;
  std::uint64_t bytes = 0;
  std::uint64_t fixes = 0;
  for (std::uint64_t i = 0; i < count; ++i) {
    std::ostringstream name;
    name << std::setw(5) << std::setfill('0') << i << ".qlm";
    const BenchMovie movie = benchBatchMovie(i, badOneIn, seed);
    writeFile(dir + "/" + name.str(), movie.bytes);
    list += name.str() + '\0';
    if (movie.expectedFixes > 0) bad += name.str() + '\0';
    references += movie.references;
    bytes += movie.bytes.size();
    fixes += movie.expectedFixes;
  }
  // The full list comes last, so that its presence tells a finished batch.
  for (const auto& [name, text] : {std::pair{"bad", &bad}, std::pair{"list", &list}}) {
    std::ofstream out(dir + "/" + name, std::ios::binary);
    if (!(out << *text).flush()) {
      std::cerr << dir << "/" << name << ": cannot write the list\n";
      return 1;
    }
  }
  std::cout << "movies " << count << " references " << references << " bytes " << bytes << " fixes "
            << fixes << "\n";
  return 0;
}

int writeHostile(const std::string& path, const std::string& shape) {
  if (shape == "repeated-group") {
    writeFile(path, repeatedGroupMovie(32768, 65536));
  } else if (shape == "repeated-group-8mb") {
    writeFile(path, repeatedGroupMovie(262144, 786432));
  } else if (shape == "overlapping-groups") {
    writeFile(path, overlappingGroupsMovie(4096, 65536));
  } else {
    std::cerr << "vantrel-mkmovie: unknown shape '" << shape << "'\n";
    return 2;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string what = argc > 1 ? argv[1] : "";
  const auto number = [&](int i, std::uint64_t fallback) {
    return i < argc ? std::stoull(argv[i]) : fallback;
  };
  if (what == "demo" && argc == 3) return writeDemo(argv[2]);
  if (what == "archive" && (argc == 4 || argc == 5) && number(4, 3) <= number(3, 0)) {
    return writeArchive(argv[2], number(3, 0), number(4, 3));
  }
  if (what == "bench-movie" && argc >= 5 && argc <= 7 && number(5, 3) > 0) {
    return writeBenchMovie(argv[2], number(3, 0), number(4, 0),
                           static_cast<std::uint32_t>(number(5, 3)),
                           static_cast<std::uint32_t>(number(6, 1)));
  }
  if (what == "bench-rules" && (argc == 4 || argc == 5)) {
    return writeBenchRules(argv[2], number(3, 0), static_cast<std::uint32_t>(number(4, 1)));
  }
  if (what == "bench-batch" && argc >= 4 && argc <= 6 && number(4, 10) > 0) {
    return writeBenchBatch(argv[2], number(3, 0), static_cast<std::uint32_t>(number(4, 10)),
                           static_cast<std::uint32_t>(number(5, 1)));
  }
  if (what == "hostile" && argc == 4) return writeHostile(argv[2], argv[3]);
  std::cerr << "usage: vantrel-mkmovie demo DIR\n"
               "       vantrel-mkmovie archive DIR COUNT [DAMAGED]\n"
               "       vantrel-mkmovie bench-movie FILE REFERENCES MEGABYTES [BAD_ONE_IN [SEED]]\n"
               "       vantrel-mkmovie bench-rules FILE COUNT [SEED]\n"
               "       vantrel-mkmovie bench-batch DIR COUNT [BAD_ONE_IN [SEED]]\n"
               "       vantrel-mkmovie hostile FILE SHAPE\n";
  return 2;
}
