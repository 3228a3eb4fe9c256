#include "cli/options/cli_options.h"

namespace vantrel::cli {
namespace {

// The options that repair, list or back up movies, which --derive-rules
// never does; the name of the first one given.
const char* repairOptionGiven(const CliOptions& options) {
  if (options.action == CliAction::CheckRules) return "--check-rules";
  if (options.action == CliAction::ShowRulesPath) return "--show-rules-path";
  if (options.action == CliAction::Undo) return "--undo";
  if (options.journalSuffix) return "--journal";
  if (options.dryRun) return "--dry-run";
  if (options.list) return "--list";
  if (options.references) return "--references";
  if (options.backupSuffix) return "--backup";
  if (!options.filesFrom.empty()) return "--files-from";
  if (options.nullSeparated) return "--null";
  return nullptr;
}

}  // namespace

CliOptions deriveRulesOptions(CliOptions options) {
  if (const char* other = repairOptionGiven(options)) {
    return usageError(std::string("option '--derive-rules' cannot be used with '") + other + "'");
  }
  if (options.movies.empty()) return usageError("option '--derive-rules' needs GOOD DAMAGED");
  if (options.movies.size() % 2 != 0) {
    return usageError("option '--derive-rules' takes pairs GOOD DAMAGED, but " +
                      std::to_string(options.movies.size()) + " paths were given");
  }
  options.action = CliAction::DeriveRules;
  return options;
}

}  // namespace vantrel::cli
