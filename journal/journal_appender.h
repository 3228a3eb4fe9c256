#ifndef VANTREL_JOURNAL_JOURNAL_APPENDER_H_
#define VANTREL_JOURNAL_JOURNAL_APPENDER_H_

#include <cstdint>
#include <string>
#include <vector>

#include "journal/fix_record.h"
#include "journal/journal_device.h"
#include "movie/progress_sink.h"

namespace vantrel {

// Appends the records of a repair's fixes to its movie's journal, a batch
// at a time, each batch on stable storage before the call returns.
class JournalAppender {
 public:
  JournalAppender(JournalDevice& device, const FixRecordFormat& format)
      : device_(device), format_(format) {}

  // Appends the record of each of `fixes`, in order, then syncs the file
  // and, the first time, the name of a file that opening made. True once
  // all of it is on stable storage; after a failure, false for good, and
  // why() says why.
  bool appendSynced(const std::vector<FixedReference>& fixes);

  const std::string& why() const { return why_; }

 private:
  bool fail();
  // Ends a last line that a stopped run left without its line end, so
  // that the records after it start lines of their own.
  bool endCutLine();

  JournalDevice& device_;
  const FixRecordFormat& format_;
  bool started_ = false;
  bool nameSynced_ = false;
  std::uint64_t writtenOutTo_ = 0;  // where startWriteOut() was last asked
  std::string pending_;
  std::string why_;
};

}  // namespace vantrel

#endif  // VANTREL_JOURNAL_JOURNAL_APPENDER_H_
