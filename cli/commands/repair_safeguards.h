#ifndef VANTREL_CLI_COMMANDS_REPAIR_SAFEGUARDS_H_
#define VANTREL_CLI_COMMANDS_REPAIR_SAFEGUARDS_H_

#include <functional>
#include <optional>
#include <string>

#include "cli/journal/write_ahead_journal.h"
#include "cli/options/cli_options.h"
#include "cli/reports/run_results.h"
#include "fixrules/fix_table.h"
#include "movie/progress_sink.h"
#include "movie/walk_result.h"

namespace vantrel::cli {

// What a repair of one movie does before its fixes are written, so that
// they can be taken back: --backup copies the movie before the first,
// --journal writes each into the movie's journal first.
class RepairSafeguards {
 public:
  RepairSafeguards(const CliOptions& options, const std::string& moviePath);

  // Before the repair: the journal's batch, whose walk `progress` sees.
  // False when the movie must be left as it is; failure() then says why.
  bool prepare(const FixTable& rules, ProgressSink& progress);
  // The repair made by replaying the journal's batch, with `sink` as a walk
  // has it; empty when the movie is to be walked (with beforeFixWritten()).
  std::optional<WalkOutcome> replayBatch(ProgressSink& sink);
  // For WalkOptions::beforeFixWritten; null when nothing guards the fixes.
  std::function<bool(const FixedReference&)> beforeFixWritten();
  // After the walk (or a refused prepare(), with WriteRefused).
  void finish(const WalkOutcome& outcome);

  // Why the repair stopped short, when a safeguard stopped it: the movie
  // then ended as `result` says (nothing written, or partly repaired). The
  // text for stderr shows paths printable; the JSON record's error keeps
  // their bytes.
  struct Failure {
    std::string text;
    std::string error;
  };
  std::optional<Failure> failure(WalkResult result) const;
  // How the movie ended, after a walk that ended as `result`.
  RunResult result(WalkResult result) const;

 private:
  bool makeBackupOnce();

  const std::string& moviePath_;
  std::optional<std::string> backupPath_;
  bool backupMade_ = false;
  std::string backupFailure_;
  std::optional<WriteAheadJournal> journal_;
};

}  // namespace vantrel::cli

#endif  // VANTREL_CLI_COMMANDS_REPAIR_SAFEGUARDS_H_
