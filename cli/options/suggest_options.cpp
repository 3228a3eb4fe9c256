#include "cli/options/cli_options.h"

namespace vantrel::cli {
namespace {

// The options of other modes, and those that repair, list or back up
// movies, which --suggest-rules never does; the name of the first given.
const char* otherModeOptionGiven(const CliOptions& options) {
  if (options.deriveRules) return "--derive-rules";
  if (options.action == CliAction::CheckRules) return "--check-rules";
  if (options.action == CliAction::ShowRulesPath) return "--show-rules-path";
  if (options.action == CliAction::Undo) return "--undo";
  if (options.journalSuffix) return "--journal";
  if (options.dryRun) return "--dry-run";
  if (options.list) return "--list";
  if (options.references) return "--references";
  if (options.backupSuffix) return "--backup";
  if (options.quiet) return "--quiet";  // it draws no progress bar to quiet
  return nullptr;
}

}  // namespace

CliOptions suggestRulesOptions(CliOptions options) {
  if (const char* other = otherModeOptionGiven(options)) {
    return usageError(std::string("option '--suggest-rules' cannot be used with '") + other + "'");
  }
  if (options.nullSeparated && options.filesFrom.empty()) {
    return usageError("option '--null' needs '--files-from'");
  }
  if (options.movies.empty() && options.filesFrom.empty()) return usageError("no movie file given");
  options.action = CliAction::SuggestRules;
  return options;
}

}  // namespace vantrel::cli
