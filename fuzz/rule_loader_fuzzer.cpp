// fuzz_rule_loader: any bytes as fix.dat. The loader must keep exactly the
// rules that the records before the first malformed one spell, each with
// its line, as the plain model of the rule file reads them, and name that
// record's line; read through a small buffer fed in small pieces (sizes
// drawn from the input) it must give the same. The table built from the
// rules must answer every lookup with the first rule for the tag and number.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string_view>

#include "fixrules/fix_loader.h"
#include "fixrules/rule_reader.h"
#include "tests/support/model_rules.h"

namespace vantrel::fuzz {
namespace {

void expect(bool holds, const char* what, std::uint64_t a = 0, std::uint64_t b = 0) {
  if (holds) return;
  std::fprintf(stderr, "fuzz_rule_loader: %s (%llu, %llu)\n", what,
               static_cast<unsigned long long>(a), static_cast<unsigned long long>(b));
  std::abort();
}

void expectSameLoad(const FixLoad& load, const moviekit::ModelRuleLoad& model, const char* how) {
  expect(load.opened, how);
  expect(load.badLine == model.badLine, "the bad line differs from the model's",
         static_cast<std::uint64_t>(load.badLine.value_or(0)),
         static_cast<std::uint64_t>(model.badLine.value_or(0)));
  expect(load.table.size() == model.rules.size(), "the rule count differs from the model's",
         load.table.size(), model.rules.size());
  for (std::size_t i = 0; i < model.rules.size(); ++i) {
    const FixRule& got = load.table.rule(i);
    const FixRule& want = model.rules[i];
    expect(std::memcmp(got.tag, want.tag, 4) == 0 && got.number == want.number &&
               got.oldValue == want.oldValue && got.newValue == want.newValue,
           "a rule differs from the model's", i);
    expect(got.line == want.line, "a rule's line differs from the model's",
           static_cast<std::uint64_t>(got.line), static_cast<std::uint64_t>(want.line));
  }
}

// Lookups against a scan from the top, for every rule's tag and number and
// for the same with one tag byte or the number changed.
void expectFirstRuleFound(const FixTable& table) {
  const std::vector<FixRule>& rules = table.rules();
  const auto firstFor = [&rules](const char tag[4],
                                 std::uint32_t number) -> std::optional<std::size_t> {
    for (std::size_t i = 0; i < rules.size(); ++i) {
      if (std::memcmp(rules[i].tag, tag, 4) == 0 && rules[i].number == number) return i;
    }
    return std::nullopt;
  };
  for (const FixRule& rule : rules) {
    char tag[4];
    std::memcpy(tag, rule.tag, 4);
    expect(findRule(table, tag, rule.number) == firstFor(tag, rule.number), "lookup missed");
    expect(findRule(table, tag, rule.number + 1) == firstFor(tag, rule.number + 1),
           "lookup of a neighbour");
    tag[3] = static_cast<char>(tag[3] ^ 0x20);
    expect(findRule(table, tag, rule.number) == firstFor(tag, rule.number),
           "lookup of a case variant");
  }
}

std::uint32_t hashOf(const std::uint8_t* data, std::size_t size) {
  std::uint32_t hash = 2166136261u;
  for (std::size_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * 16777619u;
  return hash;
}

}  // namespace
}  // namespace vantrel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vantrel;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const moviekit::ModelRuleLoad model = moviekit::modelReadRules(text);

  const FixLoad whole = parseFixText(text);
  fuzz::expectSameLoad(whole, model, "parseFixText: not opened");
  fuzz::expectFirstRuleFound(whole.table);

  // The same text through a buffer of 1 to 64 bytes, handed out 1 to 64
  // bytes at a time, with or without the size known beforehand.
  const std::uint32_t hash = fuzz::hashOf(data, size);
  const std::size_t bufferSize = 1 + hash % 64;
  const std::size_t piece = 1 + (hash >> 6) % 64;
  const bool sizeKnown = (hash >> 12) & 1u;
  std::size_t at = 0;
  const auto read = [&](char* out, std::size_t room) {
    const std::size_t count = std::min({room, piece, size - at});
    std::memcpy(out, data + at, count);
    at += count;
    return count;
  };
  fuzz::expectSameLoad(readFixRules(read, bufferSize, sizeKnown ? size : 0), model,
                       "readFixRules: not opened");
  return 0;
}
