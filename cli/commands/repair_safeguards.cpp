#include "cli/commands/repair_safeguards.h"

#include "cli/files/backup_file.h"
#include "cli/files/file_names.h"
#include "cli/reports/cli_messages.h"
#include "cli/reports/run_records.h"

namespace vantrel::cli {

RepairSafeguards::RepairSafeguards(const CliOptions& options, const std::string& moviePath)
    : moviePath_(moviePath) {
  if (options.readOnly()) return;  // nothing is written, so nothing to take back
  if (options.backupSuffix) backupPath_ = moviePath + *options.backupSuffix;
  if (options.journalSuffix) journal_.emplace(moviePath, moviePath + *options.journalSuffix);
}

bool RepairSafeguards::prepare(const FixTable& rules, ProgressSink& progress) {
  return !journal_ || journal_->writeBatch(rules, progress);
}

std::optional<WalkOutcome> RepairSafeguards::replayBatch(ProgressSink& sink) {
  if (!journal_) return std::nullopt;
  // The journal holds every fix of the batch already: only the backup is
  // still to be made before the first.
  std::function<bool(const FixedReference&)> backupFirst = nullptr;
  if (backupPath_) backupFirst = [this](const FixedReference&) { return makeBackupOnce(); };
  return journal_->replayBatch(sink, backupFirst);
}

bool RepairSafeguards::makeBackupOnce() {
  if (!backupPath_ || backupMade_) return true;
  if (const auto failure = copyToNewFile(moviePath_, *backupPath_)) {
    backupFailure_ = *failure;
    return false;
  }
  backupMade_ = true;
  return true;
}

std::function<bool(const FixedReference&)> RepairSafeguards::beforeFixWritten() {
  if (!backupPath_ && !journal_) return nullptr;
  return [this](const FixedReference& fix) {
    return makeBackupOnce() && (!journal_ || journal_->beforeFixWritten(fix));
  };
}

void RepairSafeguards::finish(const WalkOutcome& outcome) {
  if (journal_) journal_->finish(outcome);
}

std::optional<RepairSafeguards::Failure> RepairSafeguards::failure(WalkResult result) const {
  if (!backupFailure_.empty()) {
    return Failure{backupFailedText(printablePath(*backupPath_), backupFailure_),
                   backupFailedText(*backupPath_, backupFailure_)};
  }
  if (journal_ && !journal_->failure().empty()) {
    const std::string& why = journal_->failure();
    return Failure{journalFailedText(printablePath(journal_->path()), why, result),
                   journalFailedText(journal_->path(), why, result)};
  }
  return std::nullopt;
}

RunResult RepairSafeguards::result(WalkResult result) const {
  if (journal_ && !journal_->failure().empty()) return RunResult::JournalFailed;
  return runResultOf(result);
}

}  // namespace vantrel::cli
