#include "cli/commands/repair_safeguards.h"

#include "cli/files/backup_file.h"
#include "cli/files/file_names.h"
#include "cli/reports/cli_messages.h"
#include "cli/reports/json_writer.h"
#include "cli/reports/run_records.h"

namespace vantrel::cli {

RepairSafeguards::RepairSafeguards(const CliOptions& options, const std::string& moviePath)
    : moviePath_(moviePath) {
  if (options.readOnly()) return;  // nothing is written, so nothing to take back
  if (options.backupSuffix) backupPath_ = moviePath + *options.backupSuffix;
  if (options.journalSuffix) journalPath_ = moviePath + *options.journalSuffix;
}

bool RepairSafeguards::adopt(OpenedJournal opened) {
  switch (opened.status) {
    case JournalOpen::Opened:
      journal_ = std::move(opened.device);
      return true;
    case JournalOpen::Missing:
      return true;  // made at the first batch: a movie without a fix gets none
    case JournalOpen::InUse:
      journalInUse_ = true;
      return false;
    case JournalOpen::NotRegularFile:
      journalFailure_ = openFailureText(OpenFailure{OpenProblem::NotRegularFile, 0});
      return false;
    case JournalOpen::Failed:
      journalFailure_ = opened.why;
      return false;
  }
  return false;
}

bool RepairSafeguards::prepare() {
  return !journalPath_ || adopt(openJournal(*journalPath_, false));
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
  if (!backupPath_) return nullptr;
  return [this](const FixedReference&) { return makeBackupOnce(); };
}

bool RepairSafeguards::beforeBatch(const std::vector<FixedReference>& fixes) {
  if (!makeBackupOnce()) return false;
  if (!journal_) {
    // Made now; another run may have made it since the repair began.
    if (!adopt(openJournal(*journalPath_, true)) || !journal_) return false;
  }
  if (!appender_) {
    format_.emplace(jsonString(moviePath_));
    appender_.emplace(*journal_, *format_);
  }
  if (appender_->appendSynced(fixes)) return true;
  journalFailure_ = appender_->why();
  return false;
}

void RepairSafeguards::finish(const WalkOutcome& outcome) {
  if (!journal_) return;
  const bool movieUntouched = outcome.fixCount == 0 && outcome.result != WalkResult::WriteFailed;
  // Left behind when it cannot be removed: undo finds nothing to do in it.
  if (journal_->created() && movieUntouched) journal_->remove();
  journal_.reset();
}

std::optional<RepairSafeguards::Failure> RepairSafeguards::failure(WalkResult result) const {
  if (!backupFailure_.empty()) {
    return Failure{backupFailedText(printablePath(*backupPath_), backupFailure_),
                   backupFailedText(*backupPath_, backupFailure_)};
  }
  if (journalInUse_) {
    return Failure{journalInUseText(printablePath(*journalPath_)), journalInUseText(*journalPath_)};
  }
  if (!journalFailure_.empty()) {
    return Failure{journalFailedText(printablePath(*journalPath_), journalFailure_, result),
                   journalFailedText(*journalPath_, journalFailure_, result)};
  }
  return std::nullopt;
}

RunResult RepairSafeguards::result(WalkResult result) const {
  if (journalInUse_) return RunResult::JournalInUse;
  if (!journalFailure_.empty()) return RunResult::JournalFailed;
  return runResultOf(result);
}

}  // namespace vantrel::cli
