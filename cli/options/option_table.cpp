#include "cli/options/option_table.h"

#include <cstdint>

#include "cli/files/file_names.h"

namespace vantrel::cli {
namespace {

std::string accepted() { return std::string(); }

// `text` as a decimal number of digits alone, no sign or blank; empty when
// it is none, or past 2^64.
std::optional<std::uint64_t> wholeNumber(const std::string& text) {
  if (text.empty() || text.size() > 20) return std::nullopt;
  std::uint64_t number = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    const std::uint64_t digit = static_cast<std::uint64_t>(c - '0');
    if (number > (UINT64_MAX - digit) / 10) return std::nullopt;
    number = number * 10 + digit;
  }
  return number;
}

}  // namespace

const std::vector<OptionRow>& optionTable() {
  using Value = std::optional<std::string>;
  static const std::vector<OptionRow> table = {
      {"rules", '\0', OptionArgument::Required, "a file name",
       [](CliOptions& o, const Value& v) {
         o.rulesPath = *v;
         return accepted();
       }},
      {"dry-run", '\0', OptionArgument::None, nullptr,
       [](CliOptions& o, const Value&) {
         o.dryRun = true;
         return accepted();
       }},
      {"list", '\0', OptionArgument::None, nullptr,
       [](CliOptions& o, const Value&) {
         o.list = true;
         return accepted();
       }},
      {"references", '\0', OptionArgument::None, nullptr,
       [](CliOptions& o, const Value&) {
         o.references = true;
         return accepted();
       }},
      {"recursive", 'r', OptionArgument::None, nullptr,
       [](CliOptions& o, const Value&) {
         o.recursive = true;
         return accepted();
       }},
      {"files-from", '\0', OptionArgument::Required, "a file name",
       [](CliOptions& o, const Value& v) {
         o.filesFrom.push_back(*v);
         return accepted();
       }},
      {"null", '\0', OptionArgument::None, nullptr,
       [](CliOptions& o, const Value&) {
         o.nullSeparated = true;
         return accepted();
       }},
      {"json", '\0', OptionArgument::None, nullptr,
       [](CliOptions& o, const Value&) {
         o.json = true;
         return accepted();
       }},
      {"backup", '\0', OptionArgument::Optional, nullptr,
       [](CliOptions& o, const Value& v) {
         o.backupSuffix = v.value_or(kDefaultBackupSuffix);
         return suffixProblem("--backup", *o.backupSuffix).value_or(accepted());
       }},
      {"journal", '\0', OptionArgument::Optional, nullptr,
       [](CliOptions& o, const Value& v) {
         o.journalSuffix = v.value_or(kDefaultJournalSuffix);
         return suffixProblem("--journal", *o.journalSuffix).value_or(accepted());
       }},
      {"undo", '\0', OptionArgument::None, nullptr,
       [](CliOptions& o, const Value&) {
         o.action = CliAction::Undo;
         return accepted();
       }},
      {"quiet", 'q', OptionArgument::None, nullptr,
       [](CliOptions& o, const Value&) {
         o.quiet = true;
         return accepted();
       }},
      {"check-rules", '\0', OptionArgument::None, nullptr,
       [](CliOptions& o, const Value&) {
         o.action = CliAction::CheckRules;
         return accepted();
       }},
      {"show-rules-path", '\0', OptionArgument::None, nullptr,
       [](CliOptions& o, const Value&) {
         o.action = CliAction::ShowRulesPath;
         return accepted();
       }},
      {"derive-rules", '\0', OptionArgument::None, nullptr,
       [](CliOptions& o, const Value&) {
         o.deriveRules = true;
         return accepted();
       }},
      {"suggest-rules", '\0', OptionArgument::None, nullptr,
       [](CliOptions& o, const Value&) {
         o.suggestRules = true;
         return accepted();
       }},
      {"agreement", '\0', OptionArgument::Required, "a percent",
       [](CliOptions& o, const Value& v) {
         const auto percent = wholeNumber(*v);
         if (!percent || *percent < 1 || *percent > 100) {
           return "option '--agreement' takes a whole percent from 1 to 100, not '" + *v + "'";
         }
         o.agreement = static_cast<std::uint32_t>(*percent);
         return accepted();
       }},
      {"min-movies", '\0', OptionArgument::Required, "a number of movies",
       [](CliOptions& o, const Value& v) {
         const auto movies = wholeNumber(*v);
         if (!movies || *movies < 1) {
           return "option '--min-movies' takes a whole number of movies from 1 on, not '" + *v +
                  "'";
         }
         o.minMovies = *movies;
         return accepted();
       }},
      {"help", 'h', OptionArgument::None, nullptr,
       [](CliOptions& o, const Value&) {
         o.action = CliAction::ShowHelp;
         return accepted();
       }},
      {"version", '\0', OptionArgument::None, nullptr,
       [](CliOptions& o, const Value&) {
         o.action = CliAction::ShowVersion;
         return accepted();
       }},
  };
  return table;
}

}  // namespace vantrel::cli
