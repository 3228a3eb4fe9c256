#include "journal/fix_record.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <optional>
#include <vector>

namespace vantrel {
namespace {

void appendInteger(std::string& out, std::int64_t value) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  out.append(digits, end);
}

// The word as the signed number fix.dat would hold for it.
std::int64_t signedWord(std::uint32_t word) {
  return word < 0x80000000u ? std::int64_t{word} : std::int64_t{word} - 0x100000000LL;
}

bool plainTagByte(unsigned char c) { return c >= 0x20 && c < 0x7f && c != '"' && c != '\\'; }

// A tag as a JSON string: each byte the code point of its value, as the
// front end's records spell a tag.
void appendTagString(std::string& out, const unsigned char* tag) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += '"';
  for (int i = 0; i < 4; ++i) {
    const unsigned char c = tag[i];
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      out += "\\u00";
      out += kHex[c >> 4];
      out += kHex[c & 0xF];
    } else if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      out += static_cast<char>(0xC0 | c >> 6);
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  out += '"';
}

// A small reader of one JSON object whose values are strings, integers,
// true, false or null: all a fix record holds.
class ObjectReader {
 public:
  explicit ObjectReader(std::string_view text) : text_(text) {}

  // Whether the text ran out before the object was whole.
  bool cut() const { return cut_; }

  bool expect(char c) {
    skipBlanks();
    if (atEnd()) return false;
    if (text_[at_] != c) return false;
    ++at_;
    return true;
  }
  bool peekIs(char c) {
    skipBlanks();
    return !atEnd() && text_[at_] == c;
  }
  bool atTheEnd() {
    skipBlanks();
    return at_ == text_.size();
  }

  // A string, as the code points it holds.
  bool string(std::vector<std::uint32_t>& points) {
    points.clear();
    if (!expect('"')) return false;
    for (;;) {
      if (atEnd()) return false;
      const auto c = static_cast<unsigned char>(text_[at_++]);
      if (c == '"') return true;
      if (c < 0x20) return false;
      if (c == '\\') {
        std::uint32_t point = 0;
        if (!escape(point)) return false;
        points.push_back(point);
      } else if (c < 0x80) {
        points.push_back(c);
      } else {
        std::uint32_t point = 0;
        if (!utf8(c, point)) return false;
        points.push_back(point);
      }
    }
  }

  // An integer into `number`, or a literal (true, false, null), which
  // leaves it empty.
  bool value(std::optional<std::int64_t>& number) {
    number.reset();
    skipBlanks();
    if (atEnd()) return false;
    if (text_[at_] == '-' || (text_[at_] >= '0' && text_[at_] <= '9')) {
      std::int64_t parsed = 0;
      const char* begin = text_.data() + at_;
      const auto [end, error] = std::from_chars(begin, text_.data() + text_.size(), parsed);
      if (error != std::errc()) {
        cut_ = at_ + 1 == text_.size() && text_[at_] == '-';
        return false;
      }
      at_ += static_cast<std::size_t>(end - begin);
      if (atEnd()) return false;  // the number may go on past the cut
      number = parsed;
      return true;
    }
    for (const std::string_view word : {"true", "false", "null"}) {
      const std::string_view rest = text_.substr(at_);
      if (rest.substr(0, word.size()) == word) {
        at_ += word.size();
        return true;
      }
      if (word.substr(0, rest.size()) == rest) {
        cut_ = true;
        return false;
      }
    }
    return false;
  }

 private:
  bool atEnd() {
    if (at_ < text_.size()) return false;
    cut_ = true;
    return true;
  }
  void skipBlanks() {
    while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\r')) {
      ++at_;
    }
  }
  bool escape(std::uint32_t& point) {
    if (atEnd()) return false;
    const char c = text_[at_++];
    static constexpr std::string_view kShort = "\"\"\\\\//b\bf\fn\nr\rt\t";
    for (std::size_t i = 0; i < kShort.size(); i += 2) {
      if (kShort[i] == c) {
        point = static_cast<unsigned char>(kShort[i + 1]);
        return true;
      }
    }
    if (c != 'u') return false;
    point = 0;
    for (int i = 0; i < 4; ++i) {
      if (atEnd()) return false;
      const char h = text_[at_++];
      const int digit = h >= '0' && h <= '9'   ? h - '0'
                        : h >= 'a' && h <= 'f' ? h - 'a' + 10
                        : h >= 'A' && h <= 'F' ? h - 'A' + 10
                                               : -1;
      if (digit < 0) return false;
      point = point * 16 + static_cast<std::uint32_t>(digit);
    }
    return true;
  }
  bool utf8(unsigned char lead, std::uint32_t& point) {
    const int length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (length == 0) return false;
    point = lead & (0x7F >> length);
    for (int i = 1; i < length; ++i) {
      if (atEnd()) return false;
      const auto c = static_cast<unsigned char>(text_[at_++]);
      if ((c & 0xC0) != 0x80) return false;
      point = point << 6 | (c & 0x3F);
    }
    return true;
  }

  std::string_view text_;
  std::size_t at_ = 0;
  bool cut_ = false;
};

bool isWord(const std::optional<std::int64_t>& number) {
  return number && *number >= -0x80000000LL && *number <= 0xFFFFFFFFLL;
}

bool isText(const std::vector<std::uint32_t>& points, std::string_view text) {
  if (points.size() != text.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (points[i] != static_cast<unsigned char>(text[i])) return false;
  }
  return true;
}

// The fields of a fix record that undo needs, as they are found.
struct FoundFields {
  bool isFix = false;
  std::optional<std::int64_t> offset, number, oldValue, newValue, line;
  std::optional<std::vector<std::uint32_t>> tag;
};

bool readField(ObjectReader& reader, FoundFields& found) {
  std::vector<std::uint32_t> name, text;
  if (!reader.string(name) || !reader.expect(':')) return false;
  if (reader.peekIs('"')) {
    if (!reader.string(text)) return false;
    if (isText(name, "type")) found.isFix = isText(text, "fix");
    if (isText(name, "tag")) found.tag = text;
    return true;
  }
  std::optional<std::int64_t> number;
  if (!reader.value(number)) return false;
  if (isText(name, "offset")) found.offset = number;
  if (isText(name, "number")) found.number = number;
  if (isText(name, "old")) found.oldValue = number;
  if (isText(name, "new")) found.newValue = number;
  if (isText(name, "line")) found.line = number;
  return true;
}

bool makeFix(const FoundFields& found, FixedReference& fix) {
  if (!found.isFix || !found.offset || *found.offset < 0 || !isWord(found.number) ||
      !isWord(found.oldValue) || !isWord(found.newValue) || !found.tag || found.tag->size() != 4) {
    return false;
  }
  for (std::size_t i = 0; i < 4; ++i) {
    if ((*found.tag)[i] > 0xFF) return false;
    fix.tag[i] = static_cast<char>((*found.tag)[i]);
  }
  fix.valueOffset = static_cast<std::uint64_t>(*found.offset);
  fix.number = static_cast<std::uint32_t>(*found.number);
  fix.oldValue = static_cast<std::uint32_t>(*found.oldValue);
  fix.newValue = static_cast<std::uint32_t>(*found.newValue);
  fix.line = found.line.value_or(0);
  return true;
}

}  // namespace

FixRecordFormat::FixRecordFormat(const std::string& movieJson)
    : head_("{\"type\":\"fix\",\"movie\":" + movieJson + ",\"offset\":") {}

void FixRecordFormat::append(std::string& out, const FixedReference& fix) const {
  out += head_;
  appendInteger(out, static_cast<std::int64_t>(fix.valueOffset));
  out += ",\"tag\":";
  const auto* tag = reinterpret_cast<const unsigned char*>(fix.tag);
  if (plainTagByte(tag[0]) && plainTagByte(tag[1]) && plainTagByte(tag[2]) &&
      plainTagByte(tag[3])) {
    out += '"';
    out.append(fix.tag, 4);
    out += '"';
  } else {
    appendTagString(out, tag);
  }
  out += ",\"number\":";
  appendInteger(out, signedWord(fix.number));
  out += ",\"old\":";
  appendInteger(out, signedWord(fix.oldValue));
  out += ",\"new\":";
  appendInteger(out, signedWord(fix.newValue));
  out += ",\"line\":";
  appendInteger(out, fix.line);
  out += '}';
}

namespace {

// Reads `field` and the integer after it off the front of `rest`.
bool takeInteger(std::string_view& rest, std::string_view field, std::int64_t& value) {
  if (rest.substr(0, field.size()) != field) return false;
  const char* begin = rest.data() + field.size();
  const auto [end, error] = std::from_chars(begin, rest.data() + rest.size(), value);
  if (error != std::errc()) return false;
  rest.remove_prefix(static_cast<std::size_t>(end - rest.data()));
  return true;
}

bool isWordValue(std::int64_t value) { return value >= -0x80000000LL && value <= 0xFFFFFFFFLL; }

}  // namespace

bool FixRecordFormat::readOwn(std::string_view line, FixedReference& fix) const {
  if (line.substr(0, head_.size()) != head_) return false;
  std::string_view rest = line.substr(head_.size() - std::string_view(",\"offset\":").size());
  std::int64_t offset = 0, number = 0, oldValue = 0, newValue = 0, ruleLine = 0;
  if (!takeInteger(rest, ",\"offset\":", offset) || offset < 0) return false;
  constexpr std::string_view kTag = ",\"tag\":\"";
  if (rest.size() < kTag.size() + 5 || rest.substr(0, kTag.size()) != kTag) return false;
  const std::string_view tag = rest.substr(kTag.size(), 4);
  for (const char c : tag) {
    if (!plainTagByte(static_cast<unsigned char>(c))) return false;
  }
  if (rest[kTag.size() + 4] != '"') return false;
  rest.remove_prefix(kTag.size() + 5);
  if (!takeInteger(rest, ",\"number\":", number) || !takeInteger(rest, ",\"old\":", oldValue) ||
      !takeInteger(rest, ",\"new\":", newValue) || !takeInteger(rest, ",\"line\":", ruleLine) ||
      rest != "}" || !isWordValue(number) || !isWordValue(oldValue) || !isWordValue(newValue)) {
    return false;
  }
  fix.valueOffset = static_cast<std::uint64_t>(offset);
  std::copy(tag.begin(), tag.end(), fix.tag);
  fix.number = static_cast<std::uint32_t>(number);
  fix.oldValue = static_cast<std::uint32_t>(oldValue);
  fix.newValue = static_cast<std::uint32_t>(newValue);
  fix.line = ruleLine;
  return true;
}

FixRecordRead readFixRecord(std::string_view line, FixedReference& fix) {
  ObjectReader reader(line);
  FoundFields found;
  bool whole = reader.expect('{');
  if (whole && !reader.peekIs('}')) {
    do {
      whole = readField(reader, found);
    } while (whole && reader.peekIs(',') && reader.expect(','));
  }
  whole = whole && reader.expect('}') && reader.atTheEnd();
  if (!whole) return reader.cut() ? FixRecordRead::Cut : FixRecordRead::Malformed;
  return makeFix(found, fix) ? FixRecordRead::Fix : FixRecordRead::Malformed;
}

}  // namespace vantrel
