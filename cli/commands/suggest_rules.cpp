#include "cli/commands/suggest_rules.h"

#include <memory>

#include "cli/commands/append_checks.h"
#include "cli/files/file_names.h"
#include "cli/files/movie_sources.h"
#include "cli/reports/cli_messages.h"
#include "cli/reports/run_records.h"
#include "cli/reports/run_results.h"
#include "cli/reports/suggest_records.h"
#include "movie/file_device.h"
#include "movie/walk_messages.h"
#include "rulemaking/rule_record.h"
#include "rulemaking/rule_suggestion.h"

namespace vantrel::cli {
namespace {

// Reads each movie of the run into the suggestion, tells those that fail
// as a dry run tells them, and prints what the suggestion finds at the end.
class SuggestRun final : public MovieVisitor, public SuggestListener {
 public:
  SuggestRun(const CliOptions& options, const CliEnvironment& environment, const FixTable& existing)
      : environment_(environment),
        json_(options.json),
        rulesPath_(options.rulesPath.value_or(std::string())),  // differs only with --rules
        suggestion_(SuggestThresholds{options.agreement.value_or(kDefaultAgreement),
                                      options.minMovies.value_or(kDefaultMinMovies)},
                    existing) {}

  void movie(const std::string& path) override {
    OpenFailure failure;
    auto device = openFileDevice(path, OpenMode::ReadOnly, &failure);
    if (!device) {
      const std::string reason = openFailureText(failure);
      failed(path, cannotOpenText(reason), RunResult::CannotOpen, reason);
      return;
    }
    MovieStream file(std::move(device));
    const WalkOutcome outcome = suggestion_.read(file, std::make_shared<const std::string>(path));
    if (outcome.result == WalkResult::Done) return;
    const std::string why = outcome.result == WalkResult::NotValid
                                ? notValidText(outcome, true)
                                : resultMessage(outcome.result).text;
    failed(path, why, runResultOf(outcome.result), why);
  }

  void directoryGiven(const std::string& path) override {
    failed(path, isDirectoryText(), RunResult::CannotOpen, isDirectoryText());
  }

  void pathTooLong(const std::string& start) override {
    failed(shortenedPath(start), pathTooLongText(), RunResult::CannotOpen, pathTooLongText());
  }

  void unreadable(const std::string& path, const std::string& why, bool isList) override {
    environment_.out.flush();
    // Not a movie's report: the program's own message.
    environment_.err << environment_.programName << ": " << printablePath(path) << ": "
                     << (isList ? unreadableListText(why) : unreadableDirectoryText(why)) << '\n';
    failedExit_ = kExitMovieFailed;
  }

  void suggestion(const SuggestedRule& suggested) override {
    environment_.out << (json_ ? suggestionJson(suggested) + '\n' : ruleRecordText(suggested.rule));
    environment_.err << suggestionEvidenceLine(suggested) << '\n';
  }

  void problem(const SuggestProblem& found) override {
    if (json_) environment_.out << suggestProblemJson(found) << '\n';
    environment_.err << suggestProblemLine(found, rulesPath_) << '\n';
  }

  // A problem found outside the suggestion, in the rule file.
  void countProblem() { ++extraProblems_; }

  int finish() {
    SuggestTotals totals = suggestion_.finish(*this);
    totals.problems += extraProblems_;
    environment_.out.flush();
    if (json_) environment_.out << suggestSummaryJson(totals, failedMovies_) << '\n' << std::flush;
    environment_.err << environment_.programName << ": " << suggestSummaryLine(totals) << '\n';
    if (failedExit_ != kExitDone) return failedExit_;
    return totals.problems == 0 ? kExitDone : kExitRuleProblems;
  }

 private:
  // A movie that adds nothing: `text` on stderr, `error` in its JSON record.
  void failed(const std::string& path, const std::string& text, RunResult result,
              const std::string& error) {
    environment_.out.flush();  // what came before it on stdout, first
    environment_.err << printablePath(path) << ": " << text << '\n';
    if (json_) environment_.out << resultJson(path, result, 0, true, error) << '\n';
    ++failedMovies_;
    failedExit_ = resultRow(result).exitCode;
  }

  const CliEnvironment& environment_;
  bool json_;
  std::string rulesPath_;
  RuleSuggestion suggestion_;
  std::uint64_t extraProblems_ = 0;
  std::uint64_t failedMovies_ = 0;
  ExitCode failedExit_ = kExitDone;  // a movie that failed, or a list or folder unread
};

}  // namespace

int runSuggestRules(const CliOptions& options, const CliEnvironment& environment) {
  RuleSearch existing;
  if (!readRulesToAppendTo(options, environment, existing)) return kExitNoRules;
  SuggestRun run(options, environment, existing.load.table);
  // The suggestions are made to be appended to the rule file.
  if (options.rulesPath &&
      tellWhatStopsAppending(existing.load, *options.rulesPath, options.json, environment)) {
    run.countProblem();
  }
  visitMovies(options, environment.in, run);
  return run.finish();
}

}  // namespace vantrel::cli
