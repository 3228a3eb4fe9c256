#include "cli/reports/json_writer.h"

#include <gtest/gtest.h>

#include <string>

namespace vantrel::cli {
namespace {

struct Case {
  std::string bytes;
  std::string json;
};

TEST(JsonWriterTest, StringsAreEscapedAndUndecodableBytesKept) {
  const Case cases[] = {
      {"", R"("")"},
      {"fix.dat", R"("fix.dat")"},
      {"say \"hi\" \\ there", R"("say \"hi\" \\ there")"},
      {"tab\there\nline\r\x01\x1f\x7f", R"("tab\u0009here\u000aline\u000d\u0001\u001f)"
                                        "\x7f\""},
      {std::string("a\0b", 3), R"("a\u0000b")"},
      // Valid UTF-8 of every length passes through.
      {"\xc3\xa9t\xc3\xa9 \xe2\x82\xac \xf0\x9f\x8e\xac \xf4\x8f\xbf\xbf",
       "\"\xc3\xa9t\xc3\xa9 \xe2\x82\xac \xf0\x9f\x8e\xac \xf4\x8f\xbf\xbf\""},
      // Each byte that does not decode becomes U+DC00 + byte.
      {"caf\xe9", R"("caf\udce9")"},
      {"\x80\xbf", R"("\udc80\udcbf")"},
      {"\xc0\x80", R"("\udcc0\udc80")"},                      // overlong NUL
      {"\xe0\x80\xaf", R"("\udce0\udc80\udcaf")"},            // overlong '/'
      {"\xed\xa0\x80", R"("\udced\udca0\udc80")"},            // a surrogate
      {"\xf4\x90\x80\x80", R"("\udcf4\udc90\udc80\udc80")"},  // beyond U+10FFFF
      {"\xe2\x82x", R"("\udce2\udc82x")"},                    // cut short by another character
      {"\xf0\x9f\x8e", R"("\udcf0\udc9f\udc8e")"},            // cut short by the end
      {"\xff\xfe\xc3\xa9", "\"\\udcff\\udcfe\xc3\xa9\""},
  };
  for (const Case& c : cases) EXPECT_EQ(jsonString(c.bytes), c.json) << c.json;
}

TEST(JsonWriterTest, Latin1StringsGiveEachByteItsOwnCharacter) {
  const Case cases[] = {
      {"ABCD", R"("ABCD")"},
      {"PAL ", R"("PAL ")"},
      {"AB\nC", R"("AB\u000aC")"},
      {std::string("\"\\\x7f\0", 4), std::string(R"("\"\\)") + "\x7f" + R"(\u0000")"},
      {"\xe9t\xe9\xff", "\"\xc3\xa9t\xc3\xa9\xc3\xbf\""},            // é t é ÿ
      {"\xc3\xa9\x80\xa0", "\"\xc3\x83\xc2\xa9\xc2\x80\xc2\xa0\""},  // never read as UTF-8
  };
  for (const Case& c : cases) EXPECT_EQ(jsonLatin1String(c.bytes), c.json) << c.json;
}

TEST(JsonWriterTest, ObjectsHoldTheirFieldsInOrder) {
  EXPECT_EQ(JsonObject().text(), "{}");
  EXPECT_EQ(JsonObject()
                .string("type", "rule-problem")
                .integer("line", 12)
                .integer("number", -2147483648LL)
                .integer("big", 9007199254740993LL)
                .boolean("yes", true)
                .boolean("no", false)
                .null("none")
                .latin1String("tag", "\xe9\n  ")
                .string("file", "d\xe9j\xe0\\\"x")
                .text(),
            "{\"type\":\"rule-problem\",\"line\":12,\"number\":-2147483648,"
            "\"big\":9007199254740993,\"yes\":true,\"no\":false,\"none\":null,"
            "\"tag\":\"\xc3\xa9\\u000a  \",\"file\":\"d\\udce9j\\udce0\\\\\\\"x\"}");
}

}  // namespace
}  // namespace vantrel::cli
