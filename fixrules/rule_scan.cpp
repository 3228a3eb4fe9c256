#include "fixrules/rule_scan.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace vantrel {
namespace {

bool isSpace(char c) {
  // Blank, or one of tab, line feed, vertical tab, form feed, carriage return.
  return c == ' ' || static_cast<unsigned char>(c - '\t') <= '\r' - '\t';
}

bool isDigit(char c) { return static_cast<unsigned char>(c - '0') <= 9; }

constexpr int kFieldCount = 3;

constexpr char kCarriageReturn[] = "\r";

}  // namespace

RuleScanner::RuleScanner(std::size_t expectedRules) {
  try {
    rules_.reserve(expectedRules);
  } catch (const std::bad_alloc&) {
    // Only a hint: the table grows as it must.
  }
}

void RuleScanner::feed(const char* bytes, std::size_t size) {
  if (done()) return;
  const char* p = bytes;
  const char* end = bytes + size;
  const void* ctrlZ = std::memchr(p, '\x1a', size);
  if (ctrlZ != nullptr) end = static_cast<const char*>(ctrlZ);
  if (heldCr_ && p != end) {
    heldCr_ = false;
    if (*p != '\n') scanText(kCarriageReturn, kCarriageReturn + 1);  // a lone CR
  }
  while (p != end && !done()) {
    const auto* cr =
        static_cast<const char*>(std::memchr(p, '\r', static_cast<std::size_t>(end - p)));
    if (cr == nullptr) {
      scanText(p, end);
      break;
    }
    if (cr + 1 == end) {
      scanText(p, cr);
      heldCr_ = true;  // the next piece tells whether an LF follows
      break;
    }
    // Of a CR LF pair only the LF is text; a lone CR is white space.
    scanText(p, cr[1] == '\n' ? cr : cr + 1);
    p = cr + 1;
  }
  if (ctrlZ != nullptr) {
    finish();
    if (!badLine_) ctrlZLine_ = line_;
  }
}

void RuleScanner::finish() {
  if (heldCr_) {
    heldCr_ = false;
    scanText(kCarriageReturn, kCarriageReturn + 1);
  }
  switch (state_) {
    case State::FileStart:
    case State::AfterRecord:
      break;
    case State::Digits:
      if (field_ == kFieldCount - 1) {
        endNumber();  // the last number may end with the file
        endRecord();
        break;
      }
      stop(BadRecord::CutShort, rule_.line);
      break;
    case State::Tag:
    case State::BeforeNumber:
    case State::Sign:
      stop(BadRecord::CutShort, rule_.line);
      break;
    case State::Done:
      break;
  }
  state_ = State::Done;
}

// The grammar of records over text as a text-mode read gives it. A record
// runs down the cases in order; a number that ends goes round again, to
// the next number or the next record. Wherever the text runs out, `state_`
// says where the next piece goes on.
void RuleScanner::scanText(const char* p, const char* const end) {
  while (p != end) {
    switch (state_) {
      case State::AfterRecord:
        p = skipSpace(p, end);
        if (p == end) return;
        [[fallthrough]];
      case State::FileStart:
        if (*p != '-') {
          stop(BadRecord::NoDash, line_);
          return;
        }
        ++p;
        rule_.line = line_;
        tagLength_ = 0;
        field_ = 0;
        wrappedFields_ = 0;
        state_ = State::Tag;
        [[fallthrough]];
      case State::Tag:
        p = scanTag(p, end);
        if (p == end) return;
        [[fallthrough]];
      case State::BeforeNumber:
        p = skipSpace(p, end);
        if (p == end) return;
        negative_ = *p == '-';
        tooLarge_ = false;
        magnitude_ = 0;
        if (*p == '-' || *p == '+') {
          state_ = State::Sign;
          if (++p == end) return;
        }
        [[fallthrough]];
      case State::Sign:
        if (!isDigit(*p)) {
          stop(BadRecord::NoNumber, rule_.line);
          return;
        }
        state_ = State::Digits;
        [[fallthrough]];
      case State::Digits:
        p = scanDigits(p, end);
        if (p == end) return;
        if (endNumber()) endRecord();
        break;
      case State::Done:
        return;
    }
  }
}

// The hot loops work on locals, which the compiler keeps in registers.
const char* RuleScanner::skipSpace(const char* p, const char* end) {
  long long line = line_;
  for (; p != end && isSpace(*p); ++p) line += *p == '\n';
  line_ = line;
  return p;
}

const char* RuleScanner::scanTag(const char* p, const char* end) {
  if (tagLength_ == 0 && end - p >= 4) {  // the whole tag in this piece, as it mostly is
    std::memcpy(rule_.tag, p, 4);
    line_ += std::count(p, p + 4, '\n');
    state_ = State::BeforeNumber;
    return p + 4;
  }
  for (; p != end && tagLength_ < 4; ++p) {
    line_ += *p == '\n';
    rule_.tag[tagLength_++] = *p;
  }
  if (tagLength_ == 4) state_ = State::BeforeNumber;
  return p;
}

const char* RuleScanner::scanDigits(const char* p, const char* end) {
  // The value is accumulated in 32 bits and wraps, as the rule file's
  // numbers always have; whether it ever needed more is noted on the side.
  std::uint64_t magnitude = magnitude_;
  bool tooLarge = tooLarge_;
  for (; p != end; ++p) {
    const unsigned digit = static_cast<unsigned char>(*p) - unsigned{'0'};
    if (digit > 9) break;
    magnitude = magnitude * 10 + digit;
    if (magnitude > 0xFFFFFFFFu) {
      tooLarge = true;
      magnitude &= 0xFFFFFFFFu;
    }
  }
  magnitude_ = static_cast<std::uint32_t>(magnitude);
  tooLarge_ = tooLarge;
  return p;
}

bool RuleScanner::endNumber() {
  numbers_[field_] = negative_ ? 0u - magnitude_ : magnitude_;
  if (tooLarge_ || (negative_ && magnitude_ > 0x80000000u)) wrappedFields_ |= 1u << field_;
  state_ = State::BeforeNumber;
  return ++field_ == kFieldCount;
}

void RuleScanner::endRecord() {
  rule_.number = numbers_[0];
  rule_.oldValue = numbers_[1];
  rule_.newValue = numbers_[2];
  for (int f = 0; f < kFieldCount && wrappedFields_ != 0; ++f) {
    if (wrappedFields_ & 1u << f) wrapped_.push_back({rules_.size(), static_cast<RuleField>(f)});
  }
  rules_.push_back(rule_);
  state_ = State::AfterRecord;
}

void RuleScanner::stop(BadRecord why, long long line) {
  badLine_ = line;
  badRecord_ = why;
  state_ = State::Done;
}

}  // namespace vantrel
