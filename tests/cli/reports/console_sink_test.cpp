#include "cli/reports/console_sink.h"

#include <gtest/gtest.h>

#include <sstream>

namespace vantrel::cli {
namespace {

FixedReference fixAt(std::uint64_t offset, const char* tag) {
  FixedReference fix{};
  fix.valueOffset = offset;
  std::copy_n(tag, 4, fix.tag);
  fix.number = 7;
  fix.oldValue = 0xFFFFFFFEu;
  fix.newValue = 5;
  return fix;
}

TEST(ConsoleSinkTest, DescribesAFixAsTheRuleFileWritesIt) {
  EXPECT_EQ(describeFix(fixAt(0x1c, "ABCD")), "0x0000001c 'ABCD' 7: -2 -> 5");
  EXPECT_EQ(describeFix(fixAt(0x123456789ull, "T\n'\x01")),
            "0x123456789 'T\\x0a\\x27\\x01' 7: -2 -> 5");
}

SinkStyle styleOf(bool showBar, bool listFixes) {
  SinkStyle style;
  style.showBar = showBar;
  style.listFixes = listFixes;
  return style;
}

TEST(ConsoleSinkTest, ListsFixesOnOutAndFailedWritesOnErr) {
  std::ostringstream out, err;
  ReportStream report(out, false);
  ConsoleSink sink(report, err, "dir/a.qlm", styleOf(/*showBar=*/false, /*listFixes=*/true));
  sink.begin(2);
  sink.referenceFixed(fixAt(28, "ABCD"));
  sink.step();
  sink.writeFailed(64);
  sink.step();
  sink.finish();
  EXPECT_EQ(out.str(), "dir/a.qlm: 0x0000001c 'ABCD' 7: -2 -> 5\n");
  EXPECT_EQ(err.str(), "dir/a.qlm: ?? the fix at 0x00000040 could not be written\n");
}

TEST(ConsoleSinkTest, ProgressBarFillsAndIsTakenAwayAtTheEnd) {
  std::ostringstream out, err;
  ReportStream report(out, false);
  ConsoleSink sink(report, err, "a.qlm", styleOf(/*showBar=*/true, /*listFixes=*/false));
  sink.begin(4);
  for (int i = 0; i < 4; ++i) sink.step();
  sink.finish();
  const std::string drawn = err.str();
  EXPECT_NE(drawn.find("\r" + std::string(40, '.') + " 0% a.qlm"), std::string::npos);
  EXPECT_NE(drawn.find("\r" + std::string(20, '#') + std::string(20, '.') + " 50% a.qlm"),
            std::string::npos);
  EXPECT_NE(drawn.find("\r" + std::string(40, '#') + " 100% a.qlm"), std::string::npos);
  EXPECT_EQ(drawn.substr(drawn.size() - 4), "\r\x1b[K");
  EXPECT_TRUE(out.str().empty());
}

TEST(ConsoleSinkTest, NoBarUnlessAskedFor) {
  std::ostringstream out, err;
  ReportStream report(out, false);
  ConsoleSink sink(report, err, "a.qlm", styleOf(/*showBar=*/false, /*listFixes=*/false));
  sink.begin(3);
  sink.step();
  sink.referenceFixed(fixAt(0, "ABCD"));
  sink.finish();
  EXPECT_TRUE(err.str().empty());
  EXPECT_TRUE(out.str().empty());
}

}  // namespace
}  // namespace vantrel::cli
