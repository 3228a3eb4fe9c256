#ifndef VANTREL_JOURNAL_JOURNAL_UNDO_H_
#define VANTREL_JOURNAL_JOURNAL_UNDO_H_

#include <cstdint>
#include <memory>
#include <string>

#include "journal/journal_device.h"
#include "movie/file_device.h"
#include "movie/progress_sink.h"
#include "movie/word_write.h"

namespace vantrel {

// How the undo of one movie ended.
enum class UndoResult {
  Done,               // every record ended at its old value, and the journal is removed
                      // (in a dry run: would be)
  NoJournal,          // the movie has no journal
  CannotReadJournal,  // the journal could not be opened or read
  JournalInUse,       // another run holds the journal: nothing was touched
  CannotOpen,         // the movie could not be opened
  WriteFailed,        // an old value could not be written back, or the movie not saved
  NotAllUndone,       // some word was changed since, or some line is no fix record: the
                      // journal is kept
  JournalKept,        // every fix is undone, but the journal could not be removed
  OutOfMemory,        // memory ran out: the movie may be partly undone, the journal is kept
};

// What an undo meets on the way, as it goes.
class UndoListener {
 public:
  virtual ~UndoListener() = default;
  // The word of `fix` (a journal record) holds its old value again (in a
  // dry run: would).
  virtual void restored(const FixedReference& fix) { (void)fix; }
  // The word of `fix` was changed since the repair: `found` says how, and
  // `held` is the value it holds.
  virtual void changedSince(const FixedReference& fix, WordWrite found, std::uint32_t held) {
    (void)fix, (void)found, (void)held;
  }
  // The old value of `fix` could not be written back.
  virtual void notWrittenBack(const FixedReference& fix) { (void)fix; }
  // The journal's line at `lineStart` is no fix record, and is passed over.
  virtual void damagedLine(std::uint64_t lineStart) { (void)lineStart; }
};

struct UndoOutcome {
  UndoResult result = UndoResult::Done;
  std::uint64_t undone = 0;        // words given back their old value (dry run: would be)
  std::uint64_t notUndone = 0;     // records left: words changed since, lines no record
  bool journalUnreadable = false;  // the journal could not be read to its start
  std::string why;                 // then, and with JournalKept: the system's words
};

// Takes back the fixes that `journal` holds in `movie`, from its last
// complete line to its first. A record whose word holds its new value under
// its tag and number gets its old value back, written as a fix is written.
// A word that holds the record's old value, or the old value of an earlier
// record for the same offset, tag and number, was already taken back that
// far (by an undo that was stopped): nothing to do. Any other word was
// changed since and is left as it is. The movie is put on stable storage,
// then, when every record ended at its old value, the journal is removed.
// With `dryRun`, the words go into memory only, and nothing is written or
// removed. Memory: a block of the journal, its longest line, and what is
// kept for the words not yet explained (at most one entry per distinct
// offset in the journal); with `dryRun`, also the words it would write.
UndoOutcome undoJournal(JournalDevice& journal, std::unique_ptr<FileDevice> movie,
                        UndoListener& listener, bool dryRun);

}  // namespace vantrel

#endif  // VANTREL_JOURNAL_JOURNAL_UNDO_H_
