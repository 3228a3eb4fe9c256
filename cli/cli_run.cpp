#include "cli/cli_run.h"

#include "cli/backup_file.h"
#include "cli/cli_messages.h"
#include "cli/console_sink.h"
#include "cli/movie_sources.h"
#include "cli/rule_problem_report.h"
#include "cli/run_records.h"
#include "fixrules/fix_loader.h"
#include "fixrules/rule_check.h"
#include "fixrules/rule_messages.h"
#include "movie/movie_walk.h"
#include "movie/walk_messages.h"

namespace vantrel::cli {
namespace {

std::string displayNameOf(const std::string& path) {
  const std::size_t cut = path.find_last_of("/\\");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

// The --backup copy of one movie, made when the walk is about to write.
struct BackupStep {
  std::string path;
  std::string failure;  // why it could not be made
};

WalkOptions walkOptionsFor(const CliOptions& options, const std::string& moviePath,
                           BackupStep& backup) {
  WalkOptions walkOptions;
  walkOptions.dryRun = options.readOnly();
  walkOptions.reportReferences = options.references;
  if (options.backupSuffix) {
    backup.path = moviePath + *options.backupSuffix;
    walkOptions.beforeFirstWrite = [&moviePath, &backup] {
      const auto failure = copyToNewFile(moviePath, backup.path);
      if (failure) backup.failure = *failure;
      return !failure;
    };
  }
  return walkOptions;
}

// Works through the movies of a run one at a time, and keeps its totals.
class BatchRun final : public MovieVisitor {
 public:
  BatchRun(const CliOptions& options, const CliEnvironment& environment, const FixTable& rules,
           ReportStream& report)
      : options_(options), environment_(environment), rules_(rules), report_(report) {}

  void movie(const std::string& moviePath) override {
    report_.nextMovie();
    SinkStyle style;
    style.showBar = environment_.errIsTerminal && !options_.quiet;
    style.listFixes = options_.list;
    style.listReferences = options_.references;
    ConsoleSink sink(report_, environment_.err, moviePath, style);
    BackupStep backup;
    const WalkOutcome outcome =
        patchMovie(moviePath, rules_, sink, walkOptionsFor(options_, moviePath, backup));
    sink.finish();
    if (outcome.result == WalkResult::WriteRefused) {
      failed(moviePath, backupFailedText(backup.path, backup.failure), outcome.result);
    } else if (outcome.result != WalkResult::Done) {
      failed(moviePath, resultMessage(outcome.result).text, outcome.result);
    } else {
      ++totals_.done;
      if (!report_.json()) {
        const std::string name = displayNameOf(moviePath);
        report_.line(options_.readOnly() ? dryRunText(name, outcome.fixCount)
                                         : completionText(name, outcome.fixCount));
      }
    }
    // A failed write leaves the fixes that landed, and those count.
    totals_.fixes += outcome.fixCount;
    ++totals_.movies;
    if (report_.json()) {
      report_.line(resultJson(moviePath, outcome.result, outcome.fixCount, options_.readOnly()));
    }
  }

  void directoryGiven(const std::string& path) override {
    report_.nextMovie();
    failed(path, isDirectoryText(), WalkResult::CannotOpen);
    ++totals_.movies;
    if (report_.json()) {
      report_.line(resultJson(path, WalkResult::CannotOpen, 0, options_.readOnly()));
    }
  }

  void unreadable(const std::string& path, const std::string& why, bool isList) override {
    environment_.err << path << ": "
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
  void failed(const std::string& path, const std::string& why, WalkResult result) {
    report_.stream().flush();  // what came before it on stdout, first
    environment_.err << path << ": " << why << '\n';
    ++totals_.failed;
    exitCode_ = exitCodeFor(result);
  }

  const CliOptions& options_;
  const CliEnvironment& environment_;
  const FixTable& rules_;
  ReportStream& report_;
  RunTotals totals_;
  int exitCode_ = kExitDone;
};

}  // namespace

int exitCodeFor(WalkResult result) {
  return result == WalkResult::Done ? kExitDone : kExitMovieFailed;
}

RuleSearch findRules(const CliOptions& options, const CliEnvironment& environment) {
  if (options.rulesPath) {
    RuleSearch search = readFirstRuleFile({*options.rulesPath});
    search.named = true;
    return search;
  }
  RuleSearch search =
      readFirstRuleFile(rulePlaces(environment.programDirectory, environment.variable));
  search.named = !environment.variable(kRulesVariable).empty();
  return search;
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
