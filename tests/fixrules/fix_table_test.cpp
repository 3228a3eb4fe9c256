#include "fixrules/fix_table.h"

#include <gtest/gtest.h>

#include "fixrules/fix_loader.h"

namespace vantrel {
namespace {

TEST(FindRuleTest, AnswersWithTheFirstRuleForTagAndNumber) {
  const FixTable table =
      parseFixText("-ABCD 7 2 5\n-ABCD 8 2 6\n-ABCD 7 3 9\n-abcd 7 2 1\n- BCD 7 2 1\n").table;
  EXPECT_EQ(findRule(table, "ABCD", 7), 0u);
  EXPECT_EQ(findRule(table, "ABCD", 8), 1u);
  EXPECT_EQ(findRule(table, "abcd", 7), 3u);
  EXPECT_EQ(findRule(table, " BCD", 7), 4u);
}

TEST(FindRuleTest, EveryTagByteAndTheNumberMustAgree) {
  const FixTable table = parseFixText("-ABCD 7 2 5\n").table;
  for (const char* other : {"XBCD", "AXCD", "ABXD", "ABCX", "abcd", "ABC "}) {
    EXPECT_FALSE(findRule(table, other, 7)) << other;
  }
  EXPECT_FALSE(findRule(table, "ABCD", 6));
}

TEST(FindRuleTest, EmptyTableFindsNothing) {
  EXPECT_FALSE(findRule(FixTable{}, "ABCD", 0));
}

TEST(FindRuleTest, NegativeNumbersMatchTheirWordPattern) {
  const FixTable table = parseFixText("-ABCD -1 0 0\n").table;
  EXPECT_EQ(findRule(table, "ABCD", 0xFFFFFFFFu), 0u);
}

}  // namespace
}  // namespace vantrel
