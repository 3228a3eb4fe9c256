#ifndef VANTREL_CLI_JOURNAL_WRITE_AHEAD_JOURNAL_H_
#define VANTREL_CLI_JOURNAL_WRITE_AHEAD_JOURNAL_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/journal/fix_record.h"
#include "cli/journal/journal_file.h"
#include "fixrules/fix_table.h"
#include "movie/progress_sink.h"
#include "movie/walk_result.h"

namespace vantrel::cli {

// The journal of one movie's repair, written ahead of its fixes: each fix
// is in the journal, and the journal on stable storage, before the fix's
// word is written. Syncing once per fix would make a dense repair crawl,
// so the fixes go ahead in one batch: a walk over the movie that keeps its
// writes in memory (it reads its own fixes back as the repair will, and
// writes nothing to the file) records every fix it finds, and the journal
// is synced once.
//
// The repair then, as a rule, replays the batch: it writes the fixes the
// journal holds, in order, each where its word still holds the old value,
// without walking the movie again. When the batch's walk could not hold
// all its writes in memory (a movie whose fixes are read again far apart),
// the repair walks the movie instead and compares each fix with the batch's
// next record, read back from the journal; from the first fix that is not
// the batch's next (the batch's walk read a word it had lost track of, or
// the movie changed meanwhile), each fix gets a record of its own, synced,
// before it is written. Either way the journal holds the
// fixes in the order they were written, which undo, taking them last
// first, relies on; and memory stays a few blocks, whatever the number of
// fixes.
class WriteAheadJournal {
 public:
  WriteAheadJournal(const std::string& moviePath, std::string journalPath);
  ~WriteAheadJournal();

  // Writes the batch for the repair of the movie with `rules`; `progress`
  // sees the steps of its walk. False when the journal could not be written
  // or synced (failure() says why); then no fix may be written. No journal
  // is made when nothing is to be fixed, nor when the movie cannot be opened
  // for writing or is not valid (the repair's own walk then says so).
  bool writeBatch(const FixTable& rules, ProgressSink& progress);

  // The repair by replaying the batch, with `sink` and `beforeFixWritten`
  // as a walk has them (replayFixes()); empty when the movie must be walked
  // instead, with beforeFixWritten() below asked before each fix.
  std::optional<WalkOutcome> replayBatch(
      ProgressSink& sink, const std::function<bool(const FixedReference&)>& beforeFixWritten);

  // Before `fix` is written: true once it is in the journal on stable
  // storage. After one failure, false for every fix.
  bool beforeFixWritten(const FixedReference& fix);

  // After the repair: a journal that this run made is removed again when
  // the repair wrote nothing to the movie, since it has nothing to undo.
  void finish(const WalkOutcome& outcome);

  const std::string& path() const { return path_; }
  // Why the journal could not be written, in the system's words; empty
  // while it could.
  const std::string& failure() const { return failure_; }

  // Called by the batch's walk for each fix it finds.
  void batchFix(const FixedReference& fix);

 private:
  bool open();
  bool fail(const std::string& why);
  bool flushPending();
  // Whether `record` is the batch's next one; steps past it if so.
  bool isNextInBatch(const std::string& record);

  FixRecordFormat format_;
  std::string moviePath_;
  std::string path_;
  std::unique_ptr<JournalFile> file_;
  std::string failure_;
  std::string pending_;             // the batch's records not yet appended
  std::string record_;              // the record of the fix being written
  bool replayable_ = false;         // the batch's walk held all its writes
  std::uint64_t cursor_ = 0;        // the batch's next record in the file
  std::uint64_t batchEnd_ = 0;      // where the batch's records end
  std::uint64_t writtenOutTo_ = 0;  // where startWriteOut() was last asked
  std::vector<char> readBack_;      // the bytes of the file from readBackStart_
  std::uint64_t readBackStart_ = 0;
};

}  // namespace vantrel::cli

#endif  // VANTREL_CLI_JOURNAL_WRITE_AHEAD_JOURNAL_H_
