#include "fixrules/fix_table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <random>
#include <string>

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

// Each rule's first index in file order, as a plain map keeps it.
std::map<std::pair<std::string, std::uint32_t>, std::size_t> firstRules(const std::vector<FixRule>& rules) {
  std::map<std::pair<std::string, std::uint32_t>, std::size_t> first;
  for (std::size_t i = 0; i < rules.size(); ++i) {
    first.emplace(std::make_pair(std::string(rules[i].tag, 4), rules[i].number), i);
  }
  return first;
}

TEST(FindRuleTest, EveryTableSizeFindsEveryFirstRule) {
  // Every size of index, small ones crowded with repeated keys.
  std::mt19937 random(3);
  for (std::size_t count = 1; count <= 300; ++count) {
    std::vector<FixRule> rules;
    for (std::size_t i = 0; i < count; ++i) {
      FixRule rule{};
      std::memcpy(rule.tag, i % 3 == 0 ? "SND " : "PAL ", 4);
      rule.number = static_cast<std::uint32_t>(random() % (count + 5));
      rule.oldValue = static_cast<std::uint32_t>(i);
      rules.push_back(rule);
    }
    const FixTable table(rules);
    for (const auto& [key, index] : firstRules(rules)) {
      ASSERT_EQ(findRule(table, key.first.data(), key.second), index) << count << " rules";
    }
  }
}

TEST(FindRuleTest, LargeTablesKeepTheFirstRule) {
  // Half of the rules repeat an earlier key.
  std::mt19937 random(11);
  std::vector<FixRule> rules;
  for (std::uint32_t i = 0; i < 300000; ++i) {
    FixRule rule{};
    const std::uint32_t key = i % 2 == 0 ? i : random() % (i + 1);
    std::memcpy(rule.tag, "K\0\0\0", 4);
    rule.tag[1] = static_cast<char>(key >> 16);
    rule.number = key & 0xFFFF;
    rule.oldValue = i;
    rules.push_back(rule);
  }
  const FixTable table(rules);
  const auto first = firstRules(rules);
  for (const auto& [key, index] : first) {
    ASSERT_EQ(findRule(table, key.first.data(), key.second), index);
  }
  EXPECT_FALSE(findRule(table, "K\0\0\0", 0x10000));
  EXPECT_FALSE(findRule(table, "L\0\0\0", 0));
}

TEST(FindRuleTest, KeysCrowdedAtTheEndOfTheIndexKeepTheFirstRule) {
  // Keys whose homes lie just before the end of the index run on past it to
  // its start. Crowd them there, each key twice, the first rule first.
  const std::size_t ruleCount = 120000;
  const std::size_t slots = FixTable::slotCountFor(ruleCount);
  std::vector<FixRule> crowded;
  std::vector<FixRule> others;
  for (std::uint32_t candidate = 0; crowded.size() < 200 || others.size() < ruleCount - 400;
       ++candidate) {
    FixRule rule{};
    std::memcpy(rule.tag, "CRWD", 4);
    rule.number = candidate;
    if (FixTable::homeSlotOf(rule.tag, rule.number, slots) + 8 >= slots) {
      if (crowded.size() < 200) crowded.push_back(rule);
    } else if (others.size() < ruleCount - 400) {
      others.push_back(rule);
    }
  }
  ASSERT_EQ(crowded.size(), 200u);
  std::vector<FixRule> rules = others;
  for (FixRule rule : crowded) {
    rule.oldValue = 1;
    rules.push_back(rule);
  }
  for (FixRule rule : crowded) {
    rule.oldValue = 2;  // a later rule for the same key: never the answer
    rules.push_back(rule);
  }
  ASSERT_EQ(FixTable::slotCountFor(rules.size()), slots);
  const FixTable table(rules);
  for (const FixRule& rule : crowded) {
    const auto found = findRule(table, rule.tag, rule.number);
    ASSERT_TRUE(found.has_value()) << rule.number;
    EXPECT_EQ(table.rule(*found).oldValue, 1u) << rule.number;
  }
  for (std::size_t i = 0; i < others.size(); i += 97) {
    EXPECT_EQ(findRule(table, others[i].tag, others[i].number), i);
  }
}

TEST(FindRuleTest, AgreesWithAScanInFileOrderOnLargeTables) {
  // Many rules over few keys, so most keys have several rules, and tags
  // that differ in one byte only, including bytes 0x00 and 0xFF.
  std::mt19937 random(7);
  const std::string tags[] = {"ABCD", "ABCE", std::string("AB\0D", 4), "\xff\xff\xff\xff", "    "};
  std::vector<FixRule> rules;
  for (int i = 0; i < 20000; ++i) {
    FixRule rule{};
    const std::string& tag = tags[random() % 5];
    std::copy_n(tag.data(), 4, rule.tag);
    rule.number = random() % 3 == 0 ? 0xFFFFFFFFu - random() % 50 : random() % 3000;
    rule.oldValue = static_cast<std::uint32_t>(i);
    rules.push_back(rule);
  }
  const FixTable table(rules);
  const auto firstInFileOrder = firstRules(rules);
  for (const std::string& tag : tags) {
    for (std::uint32_t number = 0; number < 3100; ++number) {
      for (const std::uint32_t asked : {number, 0xFFFFFFFFu - number}) {
        const auto first = firstInFileOrder.find({tag, asked});
        const std::optional<std::size_t> expected =
            first == firstInFileOrder.end() ? std::nullopt : std::optional<std::size_t>(first->second);
        ASSERT_EQ(findRule(table, tag.data(), asked), expected) << asked;
      }
    }
  }
}

}  // namespace
}  // namespace vantrel
