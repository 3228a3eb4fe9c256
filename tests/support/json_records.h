#ifndef VANTREL_TESTS_SUPPORT_JSON_RECORDS_H_
#define VANTREL_TESTS_SUPPORT_JSON_RECORDS_H_

// JSON Lines records as the programs should write them, built here without
// the program's own writer, from the plain model of the walk.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "fixrules/fix_rule.h"
#include "tests/support/model_walk.h"

namespace vantrel::moviekit {

// A JSON string as the records should hold it, written here without the
// program's own writer: ASCII text as it stands, control characters as
// \u00XX, and each other byte as a Latin-1 character (`latin1`, as tags are
// written) or as it stands (valid UTF-8, as paths are).
inline std::string jsonQuoted(const std::string& bytes, bool latin1) {
  std::string out = "\"";
  for (const char byte : bytes) {
    const auto c = static_cast<unsigned char>(byte);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += byte;
    } else if (c < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", c);
      out += escape;
    } else if (c < 0x80 || !latin1) {
      out += byte;
    } else {
      out += static_cast<char>(0xC0 | c >> 6);
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out + "\"";
}

inline std::string jsonText(const std::string& bytes) { return jsonQuoted(bytes, true); }

// A path of valid UTF-8 as the records hold it.
inline std::string jsonPathText(const std::string& utf8) { return jsonQuoted(utf8, false); }

inline std::string jsonBytes(const std::array<unsigned char, 4>& bytes) {
  return jsonText(std::string(bytes.begin(), bytes.end()));
}

inline std::string signedText(std::uint32_t word) {
  return std::to_string(static_cast<std::int32_t>(word));
}

inline std::string fixRecord(const std::string& movie, const ModelFix& fix,
                             const std::vector<FixRule>& rules) {
  long long line = 0;
  for (const FixRule& rule : rules) {
    if (std::equal(fix.tag.begin(), fix.tag.end(), rule.tag,
                   [](unsigned char a, char b) { return a == static_cast<unsigned char>(b); }) &&
        rule.number == fix.number) {
      line = rule.line;
      break;
    }
  }
  return "{\"type\":\"fix\",\"movie\":" + jsonText(movie) +
         ",\"offset\":" + std::to_string(fix.valueOffset) + ",\"tag\":" + jsonBytes(fix.tag) +
         ",\"number\":" + signedText(fix.number) + ",\"old\":" + signedText(fix.oldValue) +
         ",\"new\":" + signedText(fix.newValue) + ",\"line\":" + std::to_string(line) + "}\n";
}

// The `result` record of one movie. `jsonMovie` is its path as the record
// holds it, quotes and all, and `error`, there for every result but Done
// (given empty), the error's JSON text without its quotes.
inline std::string resultRecord(const std::string& jsonMovie, const std::string& result,
                                std::uint64_t fixes, bool dryRun = false,
                                const std::string& error = "") {
  return "{\"type\":\"result\",\"movie\":" + jsonMovie + ",\"result\":\"" + result +
         "\",\"fixes\":" + std::to_string(fixes) + ",\"dryRun\":" + (dryRun ? "true" : "false") +
         (error.empty() ? "" : ",\"error\":\"" + error + "\"") + "}\n";
}

// The `summary` record that ends a run over movies.
inline std::string summaryRecord(std::uint64_t movies, std::uint64_t done, std::uint64_t failed,
                                 std::uint64_t fixes) {
  return "{\"type\":\"summary\",\"movies\":" + std::to_string(movies) +
         ",\"done\":" + std::to_string(done) + ",\"failed\":" + std::to_string(failed) +
         ",\"fixes\":" + std::to_string(fixes) + "}\n";
}

}  // namespace vantrel::moviekit

#endif  // VANTREL_TESTS_SUPPORT_JSON_RECORDS_H_
