#include "cli/commands/cli_run.h"

#include <new>

#include "cli/commands/repair_safeguards.h"
#include "cli/files/file_names.h"
#include "cli/files/movie_sources.h"
#include "cli/reports/cli_messages.h"
#include "cli/reports/console_sink.h"
#include "cli/reports/rule_problem_report.h"
#include "cli/reports/run_records.h"
#include "fixrules/fix_loader.h"
#include "fixrules/rule_check.h"
#include "fixrules/rule_messages.h"
#include "journal/group_commit.h"
#include "movie/file_device.h"
#include "movie/movie_walk.h"
#include "movie/path_parts.h"
#include "movie/walk_messages.h"

namespace vantrel::cli {
namespace {

WalkOptions walkOptionsFor(const CliOptions& options, RepairSafeguards& safeguards) {
  WalkOptions walkOptions;
  walkOptions.dryRun = options.readOnly();
  walkOptions.reportReferences = options.references;
  if (!safeguards.journaled()) walkOptions.beforeFixWritten = safeguards.beforeFixWritten();
  return walkOptions;
}

// Works through the movies of a run one at a time, and keeps its totals.
class BatchRun final : public MovieVisitor {
 public:
  BatchRun(const CliOptions& options, const CliEnvironment& environment, const FixTable& rules,
           ReportStream& report)
      : options_(options), environment_(environment), rules_(rules), report_(report) {}

  void movie(const std::string& moviePath) override {
    try {
      repairOne(moviePath);
    } catch (const std::bad_alloc&) {
      // What was written stays; the other movies go on.
      const std::string why = resultText(RunResult::OutOfMemory, {{"done", "repaired"}});
      failed(moviePath, why, RunResult::OutOfMemory);
      ++totals_.movies;
      if (report_.json()) {
        report_.line(resultJson(moviePath, RunResult::OutOfMemory, 0, options_.readOnly(), why));
      }
    }
  }

  void repairOne(const std::string& moviePath) {
    // A movie's listing is set apart by an empty line; one-line reports
    // follow each other.
    if (!oneLineReports_ || options_.list || options_.references) report_.nextMovie();
    SinkStyle style;
    style.showBar = environment_.errIsTerminal && !options_.quiet;
    style.listFixes = options_.list;
    style.listReferences = options_.references;
    ConsoleSink sink(report_, environment_.err, moviePath, style);
    RepairSafeguards safeguards(options_, moviePath);
    const WalkOutcome outcome = repair(moviePath, sink, safeguards);
    safeguards.finish(outcome);
    sink.finish();
    const Failure failure = failureOf(outcome, safeguards, options_.readOnly());
    const RunResult result = safeguards.result(outcome.result);
    if (result != RunResult::Done) {
      failed(moviePath, failure.text, result);
    } else {
      ++totals_.done;
      if (!report_.json()) report_.line(reportText(moviePath, outcome.fixCount));
    }
    // A failed write leaves the fixes that landed, and those count.
    totals_.fixes += outcome.fixCount;
    ++totals_.movies;
    resultRecord(moviePath, result, outcome.fixCount, failure.error);
  }

  void directoryGiven(const std::string& path) override { notOpened(path, isDirectoryText()); }

  void pathTooLong(const std::string& start) override {
    notOpened(shortenedPath(start), pathTooLongText());
  }

  void unreadable(const std::string& path, const std::string& why, bool isList) override {
    report_.stream().flush();
    // Not a movie's report: the program's own message.
    environment_.err << environment_.programName << ": " << printablePath(path) << ": "
                     << (isList ? unreadableListText(why) : unreadableDirectoryText(why)) << '\n';
    exitCode_ = kExitMovieFailed;
  }

  // Ends the run: the summary, when there is one to give; returns the exit code.
  int finish() {
    if (report_.json() || totals_.movies > 1) {
      report_.nextMovie();
      report_.line(report_.json() ? summaryJson(totals_)
                                  : summaryText(totals_, options_.readOnly()));
    }
    report_.stream().flush();
    return exitCode_;
  }

 private:
  // Names the movie by its path among several, and as the Windows program
  // does when it is the only one.
  std::string reportText(const std::string& moviePath, std::uint64_t fixCount) const {
    if (oneLineReports_) {
      return movieReportLine(printablePath(moviePath), fixCount, options_.readOnly());
    }
    // Either slash, on every system, as the name is only shown.
    const std::string name = printablePath(lastPartOf(moviePath, "/\\"));
    return options_.readOnly() ? dryRunText(name, fixCount) : completionText(name, fixCount);
  }

  // What a movie that failed is told with: `text` on stderr, `error` in its
  // JSON record, which keeps the exact bytes of the paths in it.
  struct Failure {
    std::string text;
    std::string error;
  };

  static Failure failureOf(const WalkOutcome& outcome, const RepairSafeguards& safeguards,
                           bool readOnly) {
    // A backup or journal that could not be made stopped the repair.
    if (const auto stopped = safeguards.failure(outcome.result)) {
      return {stopped->text, stopped->error};
    }
    switch (outcome.result) {
      case WalkResult::Done:
        return {};
      case WalkResult::CannotOpen: {
        const std::string reason = openFailureText(outcome.openFailure);
        return {cannotOpenText(reason), reason};
      }
      case WalkResult::NotValid: {
        const std::string text = notValidText(outcome, readOnly);
        return {text, text};
      }
      default:
        return {resultMessage(outcome.result).text, resultMessage(outcome.result).text};
    }
  }

  WalkOutcome repair(const std::string& moviePath, ConsoleSink& sink,
                     RepairSafeguards& safeguards) {
    if (!safeguards.prepare()) return WalkOutcome{WalkResult::WriteRefused, 0};
    if (!safeguards.journaled()) {
      return patchMovie(moviePath, rules_, sink, walkOptionsFor(options_, safeguards));
    }
    OpenFailure failure;
    auto movie = openFileDevice(moviePath, OpenMode::ReadWrite, &failure);
    if (!movie) return WalkOutcome{WalkResult::CannotOpen, 0, failure};
    return patchInBatches(std::move(movie), rules_, sink, safeguards,
                          walkOptionsFor(options_, safeguards));
  }

  // A path that was never opened as a movie, and `why`.
  void notOpened(const std::string& path, const std::string& why) {
    report_.nextMovie();
    failed(path, why, RunResult::CannotOpen);
    ++totals_.movies;
    resultRecord(path, RunResult::CannotOpen, 0, why);
  }

  void failed(const std::string& path, const std::string& why, RunResult result) {
    report_.stream().flush();  // what came before it on stdout, first
    environment_.err << printablePath(path) << ": " << why << '\n';
    ++totals_.failed;
    exitCode_ = resultRow(result).exitCode;
  }

  void resultRecord(const std::string& path, RunResult result, std::uint64_t fixes,
                    const std::string& error) {
    if (report_.json()) {
      report_.line(resultJson(path, result, fixes, options_.readOnly(), error));
    }
  }

  const CliOptions& options_;
  const CliEnvironment& environment_;
  const FixTable& rules_;
  ReportStream& report_;
  const bool oneLineReports_ = mayReachSeveralMovies(options_);
  RunTotals totals_;
  int exitCode_ = kExitDone;
};

}  // namespace

int exitCodeAfterLostOutput(int code) {
  return code == kExitNoRules || code == kExitMovieFailed ? code : kExitWriteError;
}

RuleSearch findRules(const CliOptions& options, const CliEnvironment& environment) {
  if (options.rulesPath) return readNamedRuleFile(*options.rulesPath);
  const std::string named = environment.variable(kRulesVariable);
  if (!named.empty()) return readNamedRuleFile(named);
  return searchRuleFiles(rulePlaces(environment.programDirectory, environment.variable));
}

int runCli(const CliOptions& options, const CliEnvironment& environment) {
  const RuleSearch rules = findRules(options, environment);
  if (!rules.load.opened) {
    // Listing what a movie holds needs no rules, unless the user named a file.
    if (!options.references || rules.named) {
      environment.err << noRulesMessage(environment.programName, rules);
      return kExitNoRules;
    }
    environment.err << environment.programName << ": " << kNoRulesFoundText << '\n';
  }
  if (const auto malformed = malformedProblem(rules.load)) {
    environment.err << environment.programName << ": "
                    << ruleProblemLine(rules.path, *malformed, rules.load.table) << '\n';
    if (options.json) {
      environment.out << ruleProblemJson(rules.path, *malformed, rules.load.table) << '\n';
    }
  }

  ReportStream report(environment.out, options.json);
  BatchRun run(options, environment, rules.load.table, report);
  visitMovies(options, environment.in, run);
  return run.finish();
}

}  // namespace vantrel::cli
