#include "cli/cli_run.h"

#include "cli/backup_file.h"
#include "cli/cli_messages.h"
#include "cli/console_sink.h"
#include "cli/rule_problem_report.h"
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
  walkOptions.dryRun = options.dryRun;
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

void reportOutcome(const std::string& moviePath, const WalkOutcome& outcome, bool dryRun,
                   const BackupStep& backup, const CliEnvironment& environment) {
  if (outcome.result == WalkResult::WriteRefused) {
    environment.err << moviePath << ": " << backupFailedText(backup.path, backup.failure) << '\n';
    return;
  }
  if (outcome.result != WalkResult::Done) {
    environment.err << moviePath << ": " << resultMessage(outcome.result).text << '\n';
    return;
  }
  if (dryRun) {
    environment.out << dryRunText(displayNameOf(moviePath), outcome.fixCount) << '\n';
  } else {
    environment.out << completionText(displayNameOf(moviePath), outcome.fixCount) << '\n';
  }
}

}  // namespace

int exitCodeFor(WalkResult result) {
  return result == WalkResult::Done ? kExitDone : kExitMovieFailed;
}

std::string rulesPathFor(const CliOptions& options, const CliEnvironment& environment) {
  return options.rulesPath ? *options.rulesPath : environment.programDirectory + kRuleFileName;
}

int runCli(const CliOptions& options, const CliEnvironment& environment) {
  const std::string rulesPath = rulesPathFor(options, environment);
  const FixLoad rules = loadFixTable(rulesPath);
  if (!rules.opened) {
    environment.err << kCannotOpenRulesText << '\n';
    return kExitNoRules;
  }
  if (const auto malformed = malformedProblem(rules)) {
    environment.err << badRuleText(malformed->line) << '\n';
    if (options.json) {
      environment.out << ruleProblemJson(rulesPath, *malformed, rules.table) << '\n';
    }
  }

  int exitCode = kExitDone;
  bool reportedOnOut = false;
  for (const std::string& moviePath : options.movies) {
    ConsoleSink sink(environment.out, environment.err, moviePath,
                     environment.errIsTerminal && !options.quiet, options.list);
    BackupStep backup;
    const WalkOutcome outcome =
        patchMovie(moviePath, rules.table, sink, walkOptionsFor(options, moviePath, backup));
    sink.finish();
    if (outcome.result == WalkResult::Done) {
      if (reportedOnOut) environment.out << '\n';  // a blank line between reports
      reportedOnOut = true;
    }
    reportOutcome(moviePath, outcome, options.dryRun, backup, environment);
    if (exitCodeFor(outcome.result) != kExitDone) exitCode = exitCodeFor(outcome.result);
  }
  environment.out.flush();
  return exitCode;
}

}  // namespace vantrel::cli
