#include "fixrules/rule_scan.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace vantrel {
namespace {

bool isSpace(char c) {
  // Blank, or one of tab, line feed, vertical tab, form feed, carriage return.
  return c == ' ' || static_cast<unsigned char>(c - '\t') <= '\r' - '\t';
}

bool isDigit(char c) { return static_cast<unsigned char>(c - '0') <= 9; }

enum class Scan { Record, Malformed, NeedMore };

// Scans the fields of one record at `p`: '-', four tag characters and three
// numbers. NeedMore when the text ran out before the record was complete
// and more may follow. The text ends in a NUL, which stops every loop.
class RecordScanner {
 public:
  RecordScanner(const char* p, const char* end, bool final) : p_(p), end_(end), final_(final) {}

  Scan scan(FixRule& rule) {
    if (*p_ != '-') return Scan::Malformed;
    if (end_ - p_ < 5) return cutShort();
    std::memcpy(rule.tag, p_ + 1, 4);
    lineEnds_ += std::count(p_ + 1, p_ + 5, '\n');
    p_ += 5;
    for (std::uint32_t* field : {&rule.number, &rule.oldValue, &rule.newValue}) {
      const Scan number = scanNumber(*field);
      if (number != Scan::Record) return number;
    }
    return Scan::Record;
  }

  const char* next() const { return p_; }
  long lineEnds() const { return lineEnds_; }

 private:
  Scan cutShort() const { return final_ ? Scan::Malformed : Scan::NeedMore; }

  // An optional sign and at least one decimal digit, after optional white
  // space. The value keeps only its low 32 bits, as a 32-bit accumulator does.
  Scan scanNumber(std::uint32_t& value) {
    for (; isSpace(*p_); ++p_) lineEnds_ += *p_ == '\n';
    if (p_ == end_) return cutShort();
    const bool negative = *p_ == '-';
    if (*p_ == '-' || *p_ == '+') {
      if (++p_ == end_) return cutShort();
    }
    if (!isDigit(*p_)) return Scan::Malformed;
    std::uint32_t magnitude = 0;
    for (; isDigit(*p_); ++p_) magnitude = magnitude * 10u + static_cast<std::uint32_t>(*p_ - '0');
    if (p_ == end_ && !final_) return Scan::NeedMore;  // more digits may follow
    value = negative ? 0u - magnitude : magnitude;
    return Scan::Record;
  }

  const char* p_;
  const char* end_;
  bool final_;
  long lineEnds_ = 0;
};

}  // namespace

ScanResult scanRules(RuleText& text, FixTableBuilder& rules, TextPart part) {
  ScanResult result;
  long line = 1;
  std::size_t at = text.begin();
  // The end of a First part is a meeting point, not the end of the file.
  const bool endIsFinal = part != TextPart::First;
  bool inSpaceAfterRecord = part == TextPart::Later;
  while (true) {
    if (inSpaceAfterRecord) {
      const char* p = text.data() + at;
      for (; isSpace(*p); ++p) line += *p == '\n';
      at = static_cast<std::size_t>(p - text.data());
      inSpaceAfterRecord = at == text.end();
    }
    if (at == text.end()) {
      if (text.final()) break;
      text.fill(at);
      at = text.begin();
      continue;
    }
    RecordScanner scanner(text.data() + at, text.data() + text.end(), text.final() && endIsFinal);
    FixRule rule{};
    const Scan scan = scanner.scan(rule);
    if (scan == Scan::Malformed) {
      result.badLine = line;
      break;
    }
    if (scan == Scan::NeedMore) {
      if (text.final()) {
        result.straddles = true;
        break;
      }
      // Scan the record again once more of the text is in.
      text.fill(at);
      at = text.begin();
      continue;
    }
    rules.add(rule);
    line += scanner.lineEnds();
    at = static_cast<std::size_t>(scanner.next() - text.data());
    inSpaceAfterRecord = true;
  }
  result.lineEnds = line - 1;
  return result;
}

}  // namespace vantrel
