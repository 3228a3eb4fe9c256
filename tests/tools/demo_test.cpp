// The bundled demo is what the project's own builder makes, and it shows
// real fixes.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "tests/support/sample_movies.h"
#include "tests/support/walk_helpers.h"

namespace vantrel::moviekit {
namespace {

TEST(DemoTest, BundledFilesAreTheBuildersOutput) {
  EXPECT_EQ(readFile(VANTREL_DEMO_DIR "/demo.qlm"), demoMovie().bytes);
  std::ifstream rules(VANTREL_DEMO_DIR "/fix.dat", std::ios::binary);
  std::ostringstream text;
  text << rules.rdbuf();
  EXPECT_EQ(text.str(), fixText(demoRules()));
}

TEST(DemoTest, RepairsSomeReferencesAndLeavesTheRightOnesAlone) {
  const BuiltMovie movie = demoMovie();
  std::uint64_t expectedCount = 0;
  const Bytes expected = expectedAfterFix(movie, demoRules(), &expectedCount);
  Bytes bytes = movie.bytes;
  const WalkOutcome outcome = walkBytes(bytes, demoRules());
  EXPECT_EQ(outcome.fixCount, 6u);
  EXPECT_EQ(outcome.fixCount, expectedCount);
  EXPECT_EQ(bytes, expected);
}

}  // namespace
}  // namespace vantrel::moviekit
