#ifndef VANTREL_CLI_REPORTS_JSON_WRITER_H_
#define VANTREL_CLI_REPORTS_JSON_WRITER_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::cli {

// `bytes` as a JSON string, quotes included: '"', '\' and control
// characters escaped, valid UTF-8 as it stands, and each byte that is not
// part of valid UTF-8 as the lone surrogate U+DC80 + byte, so that no byte
// of a file name is lost (Python's "surrogateescape").
std::string jsonString(std::string_view bytes);

// `bytes` as a JSON string of the Latin-1 characters of their values: each
// byte is one character, whatever it is. For tags, which are four bytes
// rather than text.
std::string jsonLatin1String(std::string_view bytes);

// One JSON object, written field by field in the order given; text() is
// one line of JSON Lines output, without its line end.
class JsonObject {
 public:
  JsonObject& string(std::string_view name, std::string_view bytes);
  JsonObject& latin1String(std::string_view name, std::string_view bytes);
  JsonObject& integer(std::string_view name, std::int64_t value);
  JsonObject& boolean(std::string_view name, bool value);
  JsonObject& null(std::string_view name);
  // An array of strings, each written as string() writes one.
  JsonObject& strings(std::string_view name, const std::vector<std::string>& values);

  std::string text() const { return text_ + "}"; }

 private:
  JsonObject& field(std::string_view name, const std::string& value);

  std::string text_ = "{";
};

}  // namespace vantrel::cli

#endif  // VANTREL_CLI_REPORTS_JSON_WRITER_H_
