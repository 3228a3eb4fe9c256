#include "cli/reports/json_writer.h"

#include <cstdio>

namespace vantrel::cli {
namespace {

void appendEscape(std::string& out, unsigned value) {
  char escape[8];
  std::snprintf(escape, sizeof escape, "\\u%04x", value);
  out += escape;
}

// An ASCII character as a JSON string holds it.
void appendAscii(std::string& out, unsigned char c) {
  if (c == '"' || c == '\\') {
    out += '\\';
    out += static_cast<char>(c);
  } else if (c < 0x20) {
    appendEscape(out, c);
  } else {
    out += static_cast<char>(c);
  }
}

bool isContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// The length of the valid UTF-8 sequence at the start of `bytes`, or 0
// when none starts there: no overlong forms, no surrogates, nothing beyond
// U+10FFFF.
std::size_t utf8SequenceAt(std::string_view bytes) {
  const auto byte = [bytes](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
  const unsigned char lead = byte(0);
  std::size_t length = 0;
  unsigned char secondLow = 0x80, secondHigh = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) secondLow = 0xA0;   // overlong below
    if (lead == 0xED) secondHigh = 0x9F;  // surrogates above
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) secondLow = 0x90;   // overlong below
    if (lead == 0xF4) secondHigh = 0x8F;  // beyond U+10FFFF above
  }
  if (length == 0 || bytes.size() < length) return 0;
  if (byte(1) < secondLow || byte(1) > secondHigh) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (!isContinuation(byte(i))) return 0;
  }
  return length;
}

}  // namespace

std::string jsonString(std::string_view bytes) {
  std::string out = "\"";
  for (std::size_t i = 0; i < bytes.size();) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (c < 0x80) {
      appendAscii(out, c);
      ++i;
    } else if (const std::size_t length = utf8SequenceAt(bytes.substr(i)); length != 0) {
      out.append(bytes.data() + i, length);
      i += length;
    } else {
      appendEscape(out, 0xDC00 + c);
      ++i;
    }
  }
  return out + "\"";
}

std::string jsonLatin1String(std::string_view bytes) {
  std::string out = "\"";
  for (const char byte : bytes) {
    const auto c = static_cast<unsigned char>(byte);
    if (c < 0x80) {
      appendAscii(out, c);
    } else {
      // U+0080 .. U+00FF in UTF-8.
      out += static_cast<char>(0xC0 | c >> 6);
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out + "\"";
}

JsonObject& JsonObject::field(std::string_view name, const std::string& value) {
  if (text_.size() > 1) text_ += ',';
  text_ += jsonString(name);
  text_ += ':';
  text_ += value;
  return *this;
}

JsonObject& JsonObject::string(std::string_view name, std::string_view bytes) {
  return field(name, jsonString(bytes));
}

JsonObject& JsonObject::latin1String(std::string_view name, std::string_view bytes) {
  return field(name, jsonLatin1String(bytes));
}

JsonObject& JsonObject::integer(std::string_view name, std::int64_t value) {
  return field(name, std::to_string(value));
}

JsonObject& JsonObject::boolean(std::string_view name, bool value) {
  return field(name, value ? "true" : "false");
}

JsonObject& JsonObject::null(std::string_view name) { return field(name, "null"); }

JsonObject& JsonObject::strings(std::string_view name, const std::vector<std::string>& values) {
  std::string array = "[";
  for (const std::string& value : values) {
    if (array.size() > 1) array += ',';
    array += jsonString(value);
  }
  return field(name, array + "]");
}

}  // namespace vantrel::cli
