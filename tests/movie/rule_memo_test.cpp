#include "movie/rule_memo.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "tests/support/walk_helpers.h"

namespace vantrel {
namespace {

using namespace moviekit;

TEST(RuleMemoTest, AnswersAsTheTableDoesWhateverWasAskedBefore) {
  // Far more keys than the memo has room for, so that keys take each
  // other's places; a third have no rule, and some have a later rule that
  // must never be the answer.
  std::mt19937 random(31);
  const char* tags[] = {"SND ", "BMAP", "snd ", "PAL\x01"};
  std::vector<Rule> rules;
  for (std::uint32_t number = 0; number < 30000; ++number) {
    const std::string tag = tags[number % 4];
    if (number % 3 == 0) continue;
    rules.push_back({tag, number, number * 7, number * 11});
    if (number % 5 == 0) rules.push_back({tag, number, number * 7, 1});
  }
  const FixTable table = toTable(rules);
  RuleMemo memo;
  for (int lookup = 0; lookup < 200000; ++lookup) {
    // Now and then the same key twice running, to hit what was just kept.
    const std::uint32_t number = lookup % 7 == 0 ? random() % 16 : random() % 31000;
    const char* tag = tags[random() % 4];
    const auto expected = findRule(table, tag, number);
    const FixRule* got = memo.find(table, tag, number);
    ASSERT_EQ(got != nullptr, expected.has_value()) << tag << " " << number;
    // The rule that fixes a reference: the first one, and only for its own
    // old value, never for a later rule's.
    const std::uint32_t value = lookup % 3 == 0 ? number * 7 : random() % 4;
    const FixRule* fixing = memo.ruleFixing(table, tag, number, value);
    const bool fixes = expected.has_value() && table.rule(*expected).oldValue == value;
    ASSERT_EQ(fixing != nullptr, fixes) << tag << " " << number << " holding " << value;
    if (fixing != nullptr) {
      ASSERT_EQ(fixing, &table.rule(*expected));
    }
    if (got == nullptr) continue;
    const FixRule& rule = table.rule(*expected);
    ASSERT_EQ(std::string(got->tag, 4), std::string(rule.tag, 4));
    ASSERT_EQ(got->number, rule.number);
    ASSERT_EQ(got->oldValue, rule.oldValue);
    ASSERT_EQ(got->newValue, rule.newValue) << "a later rule answered for " << number;
  }
}

}  // namespace
}  // namespace vantrel
