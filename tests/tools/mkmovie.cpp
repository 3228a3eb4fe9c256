// Writes the project's sample movies and rule files.
//
//   vantrel-mkmovie demo DIR
//       the bundled demo: DIR/demo.qlm and DIR/fix.dat
//   vantrel-mkmovie bench-movie FILE REFERENCES MEGABYTES [BAD_ONE_IN [SEED]]
//       a benchmark movie in which one reference in BAD_ONE_IN (3 unless
//       given) is bad; prints its reference count and how many a run with any
//       bench-rules file fixes
//   vantrel-mkmovie bench-rules FILE COUNT [SEED]
//       a benchmark rule file of COUNT rules

#include <fstream>
#include <iostream>
#include <string>

#include "tests/support/bench_movies.h"
#include "tests/support/sample_movies.h"

namespace {

using namespace vantrel::moviekit;

int writeDemo(const std::string& dir) {
  writeFile(dir + "/demo.qlm", demoMovie().bytes);
  std::ofstream(dir + "/fix.dat", std::ios::binary) << fixText(demoRules());
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

}  // namespace

int main(int argc, char** argv) {
  const std::string what = argc > 1 ? argv[1] : "";
  const auto number = [&](int i, std::uint64_t fallback) {
    return i < argc ? std::stoull(argv[i]) : fallback;
  };
  if (what == "demo" && argc == 3) return writeDemo(argv[2]);
  if (what == "bench-movie" && argc >= 5 && argc <= 7 && number(5, 3) > 0) {
    return writeBenchMovie(argv[2], number(3, 0), number(4, 0),
                           static_cast<std::uint32_t>(number(5, 3)),
                           static_cast<std::uint32_t>(number(6, 1)));
  }
  if (what == "bench-rules" && (argc == 4 || argc == 5)) {
    return writeBenchRules(argv[2], number(3, 0), static_cast<std::uint32_t>(number(4, 1)));
  }
  std::cerr << "usage: vantrel-mkmovie demo DIR\n"
               "       vantrel-mkmovie bench-movie FILE REFERENCES MEGABYTES [BAD_ONE_IN [SEED]]\n"
               "       vantrel-mkmovie bench-rules FILE COUNT [SEED]\n";
  return 2;
}
