#include "fixrules/rule_check.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vantrel {
namespace {

struct Expected {
  long long line;
  RuleProblemKind kind;
  long long earlierLine = 0;                // Shadowed
  RuleField field = RuleField::Number;      // Wrapped
  BadRecord badRecord = BadRecord::NoDash;  // Malformed
};

struct Case {
  const char* what;
  std::string text;
  std::vector<Expected> problems;
};

void expectProblems(const Case& c) {
  SCOPED_TRACE(c.what);
  const std::vector<RuleProblem> problems = findRuleProblems(parseFixText(c.text));
  ASSERT_EQ(problems.size(), c.problems.size());
  for (std::size_t i = 0; i < problems.size(); ++i) {
    SCOPED_TRACE("problem " + std::to_string(i));
    const Expected& want = c.problems[i];
    EXPECT_EQ(problems[i].line, want.line);
    EXPECT_EQ(problems[i].kind, want.kind);
    // Fields that do not belong to the kind keep their defaults.
    EXPECT_EQ(problems[i].earlierLine, want.earlierLine);
    EXPECT_EQ(problems[i].field, want.field);
    EXPECT_EQ(problems[i].badRecord, want.badRecord);
  }
}

using K = RuleProblemKind;

TEST(RuleCheckTest, FindsEachKindOnItsLine) {
  const Case cases[] = {
      {"clean", "-ABCD 7 2 5\n-ABCD 8 2 5\n-abcd 7 2 5\n-WAVE -1 0 4294967295\n", {}},
      {"empty file", "", {}},
      {"shadowed names the first rule, not the one before",
       "-ABCD 7 2 5\n-WAVE 1 1 2\n-ABCD 7 3 9\n\n-ABCD 7 4 4\n",
       {{3, K::Shadowed, 1}, {5, K::Shadowed, 1}, {5, K::NoChange}}},
      {"-1 and 4294967295 are one number",
       "-ABCD -1 2 5\n-ABCD 4294967295 3 6\n",
       {{2, K::Shadowed, 1}}},
      {"no-change in any spelling",
       "-ABCD 1 5 5\n-ABCD 2 -1 4294967295\n",
       {{1, K::NoChange}, {2, K::NoChange}}},
      {"a tag a character short takes the line end",
       "-ABC\n1 2 3\n-AB\tD 1 2 3\n-ABC\x7f 1 2 3\n-\xe9t\xe9  1 2 3\n",
       {{1, K::OddTag}, {3, K::OddTag}, {4, K::OddTag}}},
      {"wrapped, field by field",
       "-ABCD 4294967296 -2147483649 4294967295\n-ABCD 7 -2147483648 99999999999999999999\n",
       {{1, K::Wrapped, 0, RuleField::Number},
        {1, K::Wrapped, 0, RuleField::OldValue},
        {2, K::Wrapped, 0, RuleField::NewValue}}},
      {"leading zeros do not wrap", "-ABCD 000000000000000000001 -0000000000002147483648 0\n", {}},
  };
  for (const Case& c : cases) expectProblems(c);
}

TEST(RuleCheckTest, OneRuleReportsItsProblemsInKindOrder) {
  expectProblems({"shadowed, no-change, odd-tag and wrapped at once",
                  "-A\nCD 1 2 3\n-A\nCD 1 8589934592 0\n",
                  {{1, K::OddTag},
                   {3, K::Shadowed, 1},
                   {3, K::NoChange},
                   {3, K::OddTag},
                   {3, K::Wrapped, 0, RuleField::OldValue}}});
  expectProblems({"records glued on one line, in file order",
                  "-ABCD 1 2 2-ABCD 1 2 3\n",
                  {{1, K::NoChange}, {1, K::Shadowed, 1}}});
}

TEST(RuleCheckTest, MalformedComesLastAndSaysWhy) {
  const Case cases[] = {
      {"a comment",
       "-ABCD 1 2 3\n# note\n-ABCD 1 2 2\n",
       {{2, K::Malformed, 0, RuleField::Number, BadRecord::NoDash}}},
      {"blank first line",
       "\n-ABCD 1 2 3\n",
       {{1, K::Malformed, 0, RuleField::Number, BadRecord::NoDash}}},
      {"text after the last number, on the rule's own line",
       "-ABCD 1 1 1 x\n",
       {{1, K::NoChange}, {1, K::Malformed, 0, RuleField::Number, BadRecord::NoDash}}},
      {"a number missing",
       "-ABCD 1 2\n-EFGH 4 5 6\n",
       {{1, K::Malformed, 0, RuleField::Number, BadRecord::NoNumber}}},
      {"a sign without digits",
       "-ABCD 1 2 3\n\n-EFGH 4 + 6\n",
       {{3, K::Malformed, 0, RuleField::Number, BadRecord::NoNumber}}},
      {"cut short in a number",
       "-ABCD 1 2 3\r\n-EFGH 4 5",
       {{2, K::Malformed, 0, RuleField::Number, BadRecord::CutShort}}},
      {"cut short in a tag by Ctrl-Z",
       "-ABCD 1 2 3\n-EF\x1aGH 4 5 6\n",
       {{2, K::Malformed, 0, RuleField::Number, BadRecord::CutShort}}},
      {"cut short after a sign",
       "-ABCD 1 2 -",
       {{1, K::Malformed, 0, RuleField::Number, BadRecord::CutShort}}},
  };
  for (const Case& c : cases) expectProblems(c);
}

}  // namespace
}  // namespace vantrel
