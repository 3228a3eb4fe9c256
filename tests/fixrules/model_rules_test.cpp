// The rule loader against a plain model of the rule file, on rule files
// written by the rule writer and then bent: odd white space, signs and
// overlong numbers, CR LF and lone CR, Ctrl-Z, malformed records. Read
// whole and through small buffers fed in small pieces, the loader must keep
// exactly the model's rules and name the model's bad line.
#include "tests/support/model_rules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "fixrules/fix_loader.h"
#include "fixrules/rule_reader.h"
#include "tests/support/movie_builder.h"

namespace vantrel {
namespace {

using namespace moviekit;

::testing::AssertionResult sameLoad(const FixLoad& load, const ModelRuleLoad& model) {
  if (!load.opened) return ::testing::AssertionFailure() << "not opened";
  if (load.badLine != model.badLine) {
    return ::testing::AssertionFailure()
           << "bad line " << load.badLine.value_or(0) << ", model " << model.badLine.value_or(0);
  }
  if (load.table.size() != model.rules.size()) {
    return ::testing::AssertionFailure()
           << load.table.size() << " rules, model " << model.rules.size();
  }
  for (std::size_t i = 0; i < model.rules.size(); ++i) {
    const FixRule& got = load.table.rule(i);
    const FixRule& want = model.rules[i];
    if (std::memcmp(got.tag, want.tag, 4) != 0 || got.number != want.number ||
        got.oldValue != want.oldValue || got.newValue != want.newValue || got.line != want.line) {
      return ::testing::AssertionFailure()
             << "rule " << i << " differs: " << got.number << " " << got.oldValue << " "
             << got.newValue << " on line " << got.line << ", model " << want.number << " "
             << want.oldValue << " " << want.newValue << " on line " << want.line;
    }
  }
  return ::testing::AssertionSuccess();
}

// The loader over `text` handed out `piece` bytes at a time through a
// buffer of `bufferSize`.
FixLoad readInPieces(const std::string& text, std::size_t bufferSize, std::size_t piece,
                     bool giveSize) {
  std::size_t at = 0;
  const auto read = [&](char* out, std::size_t room) {
    const std::size_t count = std::min({room, piece, text.size() - at});
    std::memcpy(out, text.data() + at, count);
    at += count;
    return count;
  };
  return readFixRules(read, bufferSize, giveSize ? text.size() : 0);
}

::testing::AssertionResult loaderMatchesModel(const std::string& text) {
  const ModelRuleLoad model = modelReadRules(text);
  if (auto same = sameLoad(parseFixText(text), model); !same) return same << " (whole)";
  for (const std::size_t bufferSize : {1, 2, 3, 5, 8, 13, 64}) {
    for (const std::size_t piece : {1, 3, 7, 1000}) {
      if (auto same = sameLoad(readInPieces(text, bufferSize, piece, piece % 2 == 1), model);
          !same) {
        return same << " (buffer " << bufferSize << ", pieces of " << piece << ")";
      }
    }
  }
  return ::testing::AssertionSuccess();
}

std::string escaped(const std::string& text) {
  std::string out;
  for (const unsigned char c : text) {
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      out += static_cast<char>(c);
    } else {
      static const char hex[] = "0123456789abcdef";
      out += "\\x";
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

TEST(ModelRulesTest, ModelReadsTheDocumentedCases) {
  // The model is only worth trusting if it reads the rule file's stated
  // cases right.
  const ModelRuleLoad joined = modelReadRules("-ABCD7 2 5\n- XYZ 3 1 2\r\n-ABC 7 -2 4294967295");
  ASSERT_EQ(joined.rules.size(), 3u);
  EXPECT_FALSE(joined.badLine);
  EXPECT_EQ(std::string(joined.rules[0].tag, 4), "ABCD");
  EXPECT_EQ(joined.rules[0].number, 7u);
  EXPECT_EQ(std::string(joined.rules[1].tag, 4), " XYZ");
  EXPECT_EQ(std::string(joined.rules[2].tag, 4), "ABC ");
  EXPECT_EQ(joined.rules[2].oldValue, 0xFFFFFFFEu);
  EXPECT_EQ(joined.rules[2].newValue, 0xFFFFFFFFu);
  EXPECT_EQ(joined.rules[2].line, 3);

  const ModelRuleLoad cut = modelReadRules("-ABCD 1 2 3\n\n  -ABCD 4 5\x1a 6\n");
  EXPECT_EQ(cut.rules.size(), 1u);
  EXPECT_EQ(cut.badLine, 3);

  const ModelRuleLoad lineEnds = modelReadRules("-AB\r\n 1 2 3\r\r\n#\n");
  ASSERT_EQ(lineEnds.rules.size(), 1u);
  EXPECT_EQ(std::string(lineEnds.rules[0].tag, 4), "AB\n ");
  EXPECT_EQ(lineEnds.badLine, 3);
  const ModelRuleLoad tagLineEnd = modelReadRules("-AB\nC 1 2 3\r\n\n  -EFGH 4 5 6-IJKL 7 8 9");
  ASSERT_EQ(tagLineEnd.rules.size(), 3u);
  EXPECT_EQ(tagLineEnd.rules[1].line, 4);
  EXPECT_EQ(tagLineEnd.rules[2].line, 4);

  EXPECT_EQ(modelReadRules(" -ABCD 1 2 3\n").badLine, 1);
  EXPECT_EQ(modelReadRules("-ABCD 1 2 +\n").badLine, 1);
  EXPECT_EQ(modelReadRules("-ABCD 1 2 33333333333\n").rules.at(0).newValue, 3268562261u);
  EXPECT_FALSE(modelReadRules("\x1a-ABCD x").badLine);
  EXPECT_TRUE(modelReadRules("").rules.empty());
}

// A rule file as the rule writer makes it, then bent at random.
std::string randomRuleText(std::mt19937& random) {
  auto below = [&random](std::uint32_t bound) {
    return static_cast<std::uint32_t>(random() % bound);
  };
  static const std::string tagBytes = std::string("AB Z-9+\n\r\t\v\f\x1a\x00\xff", 15);
  std::vector<Rule> rules;
  const std::uint32_t count = below(6);
  for (std::uint32_t i = 0; i < count; ++i) {
    std::string tag;
    for (int c = 0; c < 4; ++c) tag += below(3) == 0 ? tagBytes[below(tagBytes.size())] : "SNDX"[c];
    rules.push_back({tag, static_cast<std::uint32_t>(random()), below(3),
                     static_cast<std::uint32_t>(random())});
  }
  std::string text = fixText(rules);

  static const std::vector<std::string> inserts = {" ",
                                                   "\t",
                                                   "\r\n",
                                                   "\r",
                                                   "\n\n",
                                                   "\v\f",
                                                   std::string(1, '\0'),
                                                   "+",
                                                   "-",
                                                   "--",
                                                   "0",
                                                   "99999999999999",
                                                   "4294967296",
                                                   "#",
                                                   "x",
                                                   "\x1a",
                                                   "\r\r\n",
                                                   "-SND 1 2 3",
                                                   "-1",
                                                   "\n-"};
  const std::uint32_t changes = below(5);
  for (std::uint32_t i = 0; i < changes && !text.empty(); ++i) {
    const std::size_t at = below(static_cast<std::uint32_t>(text.size()) + 1);
    switch (below(4)) {
      case 0:
        text.erase(at, 1 + below(3));
        break;
      case 1:
        text.resize(at);
        break;
      default: {
        text.insert(at, inserts[below(static_cast<std::uint32_t>(inserts.size()))]);
        break;
      }
    }
  }
  if (below(4) == 0) {
    // Every line end as CR LF.
    std::string crlf;
    for (const char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    text = crlf;
  }
  return text;
}

TEST(ModelRulesTest, LoaderMatchesModelOnRuleFilesBentAtRandom) {
  std::mt19937 random(7301);
  int malformed = 0;
  int rules = 0;
  for (int i = 0; i < 3000; ++i) {
    const std::string text = randomRuleText(random);
    const ModelRuleLoad model = modelReadRules(text);
    malformed += model.badLine ? 1 : 0;
    rules += static_cast<int>(model.rules.size());
    ASSERT_TRUE(loaderMatchesModel(text)) << '"' << escaped(text) << '"';
  }
  // Both kinds of file must be common, or the comparison proves little.
  EXPECT_GT(malformed, 300);
  EXPECT_GT(rules, 3000);
}

TEST(ModelRulesTest, LoaderMatchesModelOnLongRecords) {
  // Records far longer than the buffer: white space runs and digit strings
  // that cross many pieces.
  for (const std::size_t run : {250, 256, 257, 1000}) {
    const std::string blanks(run, ' ');
    const std::string digits(run, '7');
    EXPECT_TRUE(loaderMatchesModel("-ABCD" + blanks + "1 2 3\n-EFGH 4 5 6" + blanks));
    EXPECT_TRUE(loaderMatchesModel("-ABCD 1 " + digits + " 3\r\n-EFGH 4 5 -" + digits));
    EXPECT_TRUE(loaderMatchesModel("-ABCD 1 2 3" + std::string(run, '\n') + "x"));
    EXPECT_TRUE(loaderMatchesModel("-ABCD 1 2 3" + std::string(run, '\r') + "\n-ABCD 1 2"));
  }
}

}  // namespace
}  // namespace vantrel
