#ifndef VANTREL_CLI_COMMANDS_REPAIR_SAFEGUARDS_H_
#define VANTREL_CLI_COMMANDS_REPAIR_SAFEGUARDS_H_

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cli/options/cli_options.h"
#include "cli/platform/journal_file.h"
#include "cli/reports/run_results.h"
#include "journal/fix_record.h"
#include "journal/group_commit.h"
#include "journal/journal_appender.h"
#include "movie/progress_sink.h"
#include "movie/walk_result.h"

namespace vantrel::cli {

// What a repair of one movie does before its fixes are written, so that
// they can be taken back: --backup copies the movie before the first,
// --journal puts each batch's records on the disk before the batch.
class RepairSafeguards final : public BatchSeam {
 public:
  RepairSafeguards(const CliOptions& options, const std::string& moviePath);

  // Before the repair: takes the lock of the movie's journal, when it has
  // one already. False when the movie must be left as it is (failure()
  // then says why); nothing was touched.
  bool prepare();
  // Whether the fixes go in batches behind the journal (patchInBatches(),
  // with this as the seam).
  bool journaled() const { return journalPath_.has_value(); }
  // Without a journal: for WalkOptions::beforeFixWritten; null when
  // nothing guards the fixes.
  std::function<bool(const FixedReference&)> beforeFixWritten();
  // With a journal: the backup before the first batch, then the batch's
  // records appended and synced.
  bool beforeBatch(const std::vector<FixedReference>& fixes) override;
  // After the walk (or a refused prepare(), with WriteRefused): a journal
  // that this run made is removed again when nothing was written, and the
  // journal's lock is let go.
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
  // Takes over what opening the journal gave; false when it was not opened.
  bool adopt(OpenedJournal opened);

  const std::string& moviePath_;
  std::optional<std::string> backupPath_;
  bool backupMade_ = false;
  std::string backupFailure_;
  std::optional<std::string> journalPath_;
  std::unique_ptr<JournalDevice> journal_;
  std::optional<FixRecordFormat> format_;
  std::optional<JournalAppender> appender_;
  bool journalInUse_ = false;
  std::string journalFailure_;
};

}  // namespace vantrel::cli

#endif  // VANTREL_CLI_COMMANDS_REPAIR_SAFEGUARDS_H_
