#include "cli/options/option_table.h"

#include "cli/files/file_names.h"

namespace vantrel::cli {
namespace {

std::string accepted() { return std::string(); }

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
