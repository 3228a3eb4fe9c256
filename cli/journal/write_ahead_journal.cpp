#include "cli/journal/write_ahead_journal.h"

#include <algorithm>
#include <cstring>

#include "movie/file_device.h"
#include "movie/movie_stream.h"
#include "movie/movie_walk.h"

namespace vantrel::cli {
namespace {

constexpr std::size_t kBlockSize = std::size_t{1} << 16;

// The batch's walk: it writes nothing, and tells the journal of each fix.
class BatchSink final : public ProgressSink {
 public:
  explicit BatchSink(WriteAheadJournal& journal) : journal_(journal) {}
  void begin(std::uint32_t) override {}
  void step() override {}
  void referenceFixed(const FixedReference& fix) override { journal_.batchFix(fix); }

 private:
  WriteAheadJournal& journal_;
};

}  // namespace

WriteAheadJournal::WriteAheadJournal(const std::string& moviePath, std::string journalPath)
    : format_(moviePath), moviePath_(moviePath), path_(std::move(journalPath)) {}

WriteAheadJournal::~WriteAheadJournal() = default;

bool WriteAheadJournal::fail(const std::string& why) {
  if (failure_.empty()) failure_ = why;
  return false;
}

bool WriteAheadJournal::open() {
  std::string why;
  file_ = JournalFile::openToAppend(path_, why);
  if (!file_) return fail(why);
  // A run stopped while appending leaves a line without its end: end it,
  // so that the records after it start lines of their own.
  char last = '\n';
  if (file_->size() > 0 && file_->readAt(file_->size() - 1, &last, 1) != 1) {
    return fail(file_->why());
  }
  if (last != '\n' && !file_->append("\n", 1)) return fail(file_->why());
  cursor_ = batchEnd_ = file_->size();
  return true;
}

void WriteAheadJournal::batchFix(const FixedReference& fix) {
  if (!failure_.empty()) return;
  format_.append(pending_, fix);
  pending_ += '\n';
  if (pending_.size() >= kBlockSize) flushPending();
}

bool WriteAheadJournal::flushPending() {
  if (pending_.empty()) return true;
  if (!file_ && !open()) return false;
  const bool appended = file_->append(pending_.data(), pending_.size());
  pending_.clear();
  return appended || fail(file_->why());
}

bool WriteAheadJournal::writeBatch(const FixTable& rules) {
  // Opened for writing, as the repair will open it: a movie that cannot be
  // written gets no journal.
  auto device = openFileDevice(moviePath_, OpenMode::ReadWrite);
  if (!device) return true;
  MovieStream movie(std::move(device));
  BatchSink sink(*this);
  WalkOptions options;
  options.dryRun = true;
  walkMovie(movie, rules, sink, options);
  if (!flushPending()) return false;
  if (file_ && !file_->sync()) return fail(file_->why());
  if (file_) batchEnd_ = file_->size();
  return failure_.empty();
}

bool WriteAheadJournal::isNextInBatch(const std::string& record) {
  if (record.size() > batchEnd_ - cursor_) return false;
  const std::uint64_t readBackEnd = readBackStart_ + readBack_.size();
  if (cursor_ < readBackStart_ || cursor_ + record.size() > readBackEnd) {
    const std::size_t wanted = static_cast<std::size_t>(
        std::min<std::uint64_t>(std::max(kBlockSize, record.size()), batchEnd_ - cursor_));
    readBack_.resize(wanted);
    readBack_.resize(file_->readAt(cursor_, readBack_.data(), wanted));
    readBackStart_ = cursor_;
    if (readBack_.size() < record.size()) return false;
  }
  if (std::memcmp(readBack_.data() + (cursor_ - readBackStart_), record.data(), record.size()) !=
      0) {
    return false;
  }
  cursor_ += record.size();
  return true;
}

bool WriteAheadJournal::beforeFixWritten(const FixedReference& fix) {
  if (!failure_.empty()) return false;
  record_.clear();
  format_.append(record_, fix);
  record_ += '\n';
  if (file_ && isNextInBatch(record_)) return true;
  // Not the batch's next: the repair has parted from the batch, so every
  // fix from here on gets a record of its own, on the disk before the fix.
  // Then the journal holds the fixes written in the order they were
  // written, which undo, taking them last first, relies on.
  cursor_ = batchEnd_;
  if (!file_ && !open()) return false;
  if (!file_->append(record_.data(), record_.size()) || !file_->sync()) {
    return fail(file_->why());
  }
  return true;
}

void WriteAheadJournal::finish(const WalkOutcome& outcome) {
  if (!file_) return;
  const bool created = file_->created();
  file_.reset();
  const bool movieUntouched = outcome.fixCount == 0 && outcome.result != WalkResult::WriteFailed;
  // Left behind when it cannot be removed: undo finds nothing to do in it.
  if (created && movieUntouched) removeJournal(path_);
}

}  // namespace vantrel::cli
