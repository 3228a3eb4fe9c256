#include "journal/fix_record.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

namespace vantrel {
namespace {

FixedReference randomFix(std::mt19937& random) {
  FixedReference fix{};
  fix.valueOffset = random() % 2 ? random() : (std::uint64_t{random()} << 20) + random();
  for (char& c : fix.tag) c = static_cast<char>(random() % 3 ? 'A' + random() % 26 : random());
  fix.number = random();
  fix.oldValue = random() % 4 ? random() : 0xFFFFFFFFu;
  fix.newValue = random() % 4 ? random() : 0x80000000u;
  fix.line = random() % 100000;
  return fix;
}

bool sameFix(const FixedReference& a, const FixedReference& b) {
  return a.valueOffset == b.valueOffset && std::memcmp(a.tag, b.tag, 4) == 0 && a.line == b.line &&
         a.number == b.number && a.oldValue == b.oldValue && a.newValue == b.newValue;
}

TEST(FixRecordTest, ReadsBackWhatItWritesAndEveryCutStartAsCut) {
  std::mt19937 random(77);
  // A movie's name with a quote, a control character and a byte that is
  // not UTF-8, which the record keeps as an escape.
  const FixRecordFormat format("\"d\\\"i\\u0001r/m\\udcff.qlm\"");
  for (int i = 0; i < 300; ++i) {
    const FixedReference fix = randomFix(random);
    std::string record;
    format.append(record, fix);
    FixedReference read{};
    ASSERT_EQ(readFixRecord(record, read), FixRecordRead::Fix) << record;
    EXPECT_TRUE(sameFix(read, fix)) << record;
    // The quick reading of its own records agrees, or leaves them to the other.
    FixedReference quick{};
    const bool plainTag = std::all_of(fix.tag, fix.tag + 4, [](char c) {
      return c >= 0x20 && c < 0x7f && c != '"' && c != '\\';
    });
    EXPECT_EQ(format.readOwn(record, quick), plainTag) << record;
    if (plainTag) {
      EXPECT_TRUE(sameFix(quick, fix)) << record;
    }
    EXPECT_FALSE(FixRecordFormat("\"other.qlm\"").readOwn(record, quick));
    for (std::size_t cut = 0; cut < record.size(); ++cut) {
      FixedReference partial{};
      ASSERT_EQ(readFixRecord(record.substr(0, cut), partial), FixRecordRead::Cut)
          << record.substr(0, cut);
    }
  }
}

TEST(FixRecordTest, AnythingElseIsMalformed) {
  const std::string good =
      "{\"type\":\"fix\",\"movie\":\"a\",\"offset\":28,\"tag\":\"AB\\u00e9D\",\"number\":-1,"
      "\"old\":2,\"new\":4294967295,\"line\":3}";
  FixedReference fix{};
  ASSERT_EQ(readFixRecord(good, fix), FixRecordRead::Fix);
  EXPECT_EQ(std::string(fix.tag, 4),
            "AB\xe9"
            "D");
  EXPECT_EQ(fix.number, 0xFFFFFFFFu);
  EXPECT_EQ(fix.newValue, 0xFFFFFFFFu);
  const char* bad[] = {
      "{\"type\":\"undo\",\"offset\":28,\"tag\":\"ABCD\",\"number\":1,\"old\":2,\"new\":3}",
      "{\"type\":\"fix\",\"offset\":-4,\"tag\":\"ABCD\",\"number\":1,\"old\":2,\"new\":3}",
      "{\"type\":\"fix\",\"offset\":4,\"tag\":\"ABC\",\"number\":1,\"old\":2,\"new\":3}",
      "{\"type\":\"fix\",\"offset\":4,\"tag\":\"AB\\u0100D\",\"number\":1,\"old\":2,\"new\":3}",
      "{\"type\":\"fix\",\"offset\":4,\"tag\":\"ABCD\",\"number\":1,\"old\":4294967296,\"new\":3}",
      "{\"type\":\"fix\",\"offset\":4,\"tag\":\"ABCD\",\"number\":1,\"new\":3}",
      "{\"type\":\"fix\",\"offset\":4,\"tag\":\"ABCD\",\"number\":1,\"old\":2,\"new\":3} x",
      "{\"type\":\"fix\" \"offset\":4}",
      "not json",
  };
  for (const char* line : bad) {
    EXPECT_EQ(readFixRecord(line, fix), FixRecordRead::Malformed) << line;
  }
}

}  // namespace
}  // namespace vantrel
