#include "cli/reports/utf8_text.h"

#include <gtest/gtest.h>

#include <string>

namespace vantrel::cli {
namespace {

TEST(Utf8TextTest, HoldsBackOnlyACharacterThatIsNotWholeYet) {
  struct Case {
    std::string text;
    std::size_t whole;
  };
  const Case cases[] = {
      {"", 0},
      {"plain", 5},
      {"\xCE\xA9", 2},       // Ω, whole
      {"a\xCE", 1},          // Ω's first byte only
      {"a\xE3\x83", 1},      // ム with one byte to come
      {"\xE3\x83\xA0", 3},   // ム, whole
      {"x\xF0\x9F\x8E", 1},  // a four-byte character, three in
      {"\xF0\x9F\x8E\xAC", 4},
      {"\xCE\xA9\xE3", 2},  // Ω, then the start of the next
      {"\x80\x80", 2},      // stray continuation bytes never wait
      {"\xFF", 1},          // nor bytes that start nothing
      {"\xC3\xA9\xA9", 3},  // é and a stray continuation byte
  };
  for (const Case& c : cases) {
    EXPECT_EQ(completeUtf8Prefix(c.text.data(), c.text.size()), c.whole)
        << testing::PrintToString(c.text);
  }
}

}  // namespace
}  // namespace vantrel::cli
