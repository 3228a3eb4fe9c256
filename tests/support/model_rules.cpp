#include "tests/support/model_rules.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace vantrel::moviekit {
namespace {

bool isWhiteSpace(char c) {
  return c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' || c == ' ';
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// What a text-mode read of the file gives.
std::string textModeView(std::string_view bytes) {
  const std::size_t ctrlZ = bytes.find('\x1a');
  if (ctrlZ != std::string_view::npos) bytes = bytes.substr(0, ctrlZ);
  std::string text;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
    text += bytes[i];
  }
  return text;
}

class RecordReader {
 public:
  explicit RecordReader(const std::string& text) : text_(text) {}

  bool atEnd() const { return at_ == text_.size(); }
  std::size_t position() const { return at_; }

  // One record from the current position; false when it does not have the
  // record's shape, the position then being anywhere inside it.
  bool record(FixRule& rule) {
    if (atEnd() || text_[at_] != '-') return false;
    ++at_;
    if (text_.size() - at_ < 4) return false;
    std::copy_n(text_.begin() + static_cast<std::ptrdiff_t>(at_), 4, rule.tag);
    at_ += 4;
    if (!number(rule.number) || !number(rule.oldValue) || !number(rule.newValue)) return false;
    skipWhiteSpace();
    return true;
  }

 private:
  void skipWhiteSpace() {
    while (!atEnd() && isWhiteSpace(text_[at_])) ++at_;
  }

  // White space, an optional sign, then at least one digit; the value
  // wraps modulo 2^32.
  bool number(std::uint32_t& value) {
    skipWhiteSpace();
    bool negative = false;
    if (!atEnd() && (text_[at_] == '+' || text_[at_] == '-')) {
      negative = text_[at_] == '-';
      ++at_;
    }
    if (atEnd() || !isDigit(text_[at_])) return false;
    std::uint64_t magnitude = 0;
    while (!atEnd() && isDigit(text_[at_])) {
      magnitude = (magnitude * 10 + static_cast<std::uint64_t>(text_[at_] - '0')) % 4294967296u;
      ++at_;
    }
    value =
        static_cast<std::uint32_t>(negative ? (4294967296u - magnitude) % 4294967296u : magnitude);
    return true;
  }

  const std::string& text_;
  std::size_t at_ = 0;
};

// The 1-based line that `position` of the text lies on.
long lineAt(const std::string& text, std::size_t position) {
  return 1 + static_cast<long>(std::count(
                 text.begin(), text.begin() + static_cast<std::ptrdiff_t>(position), '\n'));
}

}  // namespace

ModelRuleLoad modelReadRules(std::string_view fileBytes) {
  const std::string text = textModeView(fileBytes);
  ModelRuleLoad load;
  RecordReader reader(text);
  while (!reader.atEnd()) {
    const std::size_t recordStart = reader.position();
    FixRule rule{};
    if (!reader.record(rule)) {
      load.badLine = lineAt(text, recordStart);
      break;
    }
    rule.line = lineAt(text, recordStart);
    load.rules.push_back(rule);
  }
  return load;
}

bool ruleFileHolds(const std::array<unsigned char, 4>& tag) {
  const std::string record = "-" + std::string(tag.begin(), tag.end()) + " 1 2 3\n";
  const ModelRuleLoad load = modelReadRules(record);
  return load.rules.size() == 1 && !load.badLine &&
         std::equal(tag.begin(), tag.end(), load.rules[0].tag,
                    [](unsigned char a, char b) { return a == static_cast<unsigned char>(b); });
}

const FixRule* firstRule(const std::vector<FixRule>& rules, const std::array<unsigned char, 4>& tag,
                         std::uint32_t number) {
  for (const FixRule& rule : rules) {
    if (std::equal(tag.begin(), tag.end(), rule.tag,
                   [](unsigned char a, char b) { return a == static_cast<unsigned char>(b); }) &&
        rule.number == number) {
      return &rule;
    }
  }
  return nullptr;
}

}  // namespace vantrel::moviekit
