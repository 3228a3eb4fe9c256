// Writes the project's sample movies and rule files.
//
//   vantrel-mkmovie demo DIR   the bundled demo: DIR/demo.qlm and DIR/fix.dat

#include <fstream>
#include <iostream>
#include <string>

#include "tests/support/sample_movies.h"

namespace {

using namespace vantrel::moviekit;

int writeDemo(const std::string& dir) {
  writeFile(dir + "/demo.qlm", demoMovie().bytes);
  std::ofstream(dir + "/fix.dat", std::ios::binary) << fixText(demoRules());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string what = argc > 1 ? argv[1] : "";
  if (what == "demo" && argc == 3) return writeDemo(argv[2]);
  std::cerr << "usage: vantrel-mkmovie demo DIR\n";
  return 2;
}
