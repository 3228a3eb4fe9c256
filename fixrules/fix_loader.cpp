#include "fixrules/fix_loader.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>

namespace vantrel {
namespace {

// The file as a text-mode read sees it: cut at the first Ctrl-Z, CR LF
// folded to LF. A lone CR stays, and counts as white space.
std::string toText(std::string_view bytes) {
  bytes = bytes.substr(0, std::min(bytes.find('\x1a'), bytes.size()));
  std::string text;
  text.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
    text.push_back(bytes[i]);
  }
  return text;
}

bool isSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Walks the text record by record with the record shape
// "-TTTT number old new", reading the fields the way scanf reads the format
// "-%c%c%c%c %d %d %d\n": the four tag characters are taken as they stand,
// and every number may be preceded by any run of white space, empty or not.
class RuleScanner {
 public:
  explicit RuleScanner(std::string_view text) : text_(text) {}

  bool atEnd() const { return pos_ == text_.size(); }
  long line() const { return line_; }

  // Reads one record and the white space after it.
  bool readRecord(FixRule& rule) {
    if (atEnd() || text_[pos_] != '-') return false;
    advance(1);
    if (text_.size() - pos_ < 4) return false;
    std::copy_n(text_.data() + pos_, 4, rule.tag);
    advance(4);
    if (!readNumber(rule.number) || !readNumber(rule.oldValue) ||
        !readNumber(rule.newValue)) {
      return false;
    }
    skipSpace();
    return true;
  }

 private:
  void advance(std::size_t n) {
    line_ += std::count(text_.begin() + pos_, text_.begin() + pos_ + n, '\n');
    pos_ += n;
  }

  void skipSpace() {
    while (!atEnd() && isSpace(text_[pos_])) advance(1);
  }

  // An optional sign and at least one decimal digit, after optional white
  // space. The value keeps only its low 32 bits, as a 32-bit accumulator does.
  bool readNumber(std::uint32_t& value) {
    skipSpace();
    bool negative = false;
    if (!atEnd() && (text_[pos_] == '-' || text_[pos_] == '+')) {
      negative = text_[pos_] == '-';
      ++pos_;
    }
    std::uint32_t magnitude = 0;
    std::size_t digits = 0;
    while (!atEnd() && text_[pos_] >= '0' && text_[pos_] <= '9') {
      magnitude = magnitude * 10u + static_cast<std::uint32_t>(text_[pos_] - '0');
      ++pos_;
      ++digits;
    }
    value = negative ? 0u - magnitude : magnitude;
    return digits > 0;
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  long line_ = 1;
};

bool readWholeFile(std::FILE* file, std::string& bytes) {
  char block[1 << 16];
  std::size_t got;
  while ((got = std::fread(block, 1, sizeof block, file)) > 0) bytes.append(block, got);
  return !std::ferror(file);
}

}  // namespace

FixLoad parseFixText(std::string_view fileBytes) {
  const std::string text = toText(fileBytes);
  FixLoad load;
  load.opened = true;
  // One record a line is the norm; the table still grows past that when a
  // line holds several records.
  load.table.rules.reserve(std::count(text.begin(), text.end(), '\n') + 1);
  RuleScanner scanner(text);
  while (!scanner.atEnd()) {
    const long recordLine = scanner.line();
    FixRule rule{};
    if (!scanner.readRecord(rule)) {
      load.badLine = recordLine;
      break;
    }
    load.table.rules.push_back(rule);
  }
  return load;
}

FixLoad loadFixTable(const std::string& path) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                       &std::fclose);
  if (!file) return FixLoad{};
  std::string bytes;
  if (!readWholeFile(file.get(), bytes)) return FixLoad{};
  return parseFixText(bytes);
}

}  // namespace vantrel
