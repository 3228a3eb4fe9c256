#include "cli/journal/write_ahead_journal.h"

#include <algorithm>
#include <cstring>

#include "movie/file_device.h"
#include "movie/fix_replay.h"
#include "movie/movie_stream.h"
#include "movie/movie_walk.h"

namespace vantrel::cli {
namespace {

constexpr std::size_t kBlockSize = std::size_t{1} << 16;
constexpr std::uint64_t kWriteOutEvery = std::uint64_t{4} << 20;

// The batch's walk: it tells the journal of each fix, and `progress` of
// its steps.
class BatchSink final : public ProgressSink {
 public:
  BatchSink(WriteAheadJournal& journal, ProgressSink& progress)
      : journal_(journal), progress_(progress) {}
  void begin(std::uint32_t total) override { progress_.begin(total); }
  void step() override { progress_.step(); }
  void referenceFixed(const FixedReference& fix) override { journal_.batchFix(fix); }

 private:
  WriteAheadJournal& journal_;
  ProgressSink& progress_;
};

// The batch's records, read back from the journal in order.
class BatchRecords final : public FixSource {
 public:
  BatchRecords(JournalFile& file, const FixRecordFormat& format, std::uint64_t start,
               std::uint64_t end)
      : file_(file), format_(format), next_(start), end_(end) {}

  bool next(FixedReference& fix) override {
    std::string_view line;
    if (failed_ || !nextLine(line)) return false;
    if (!format_.readOwn(line, fix) && readFixRecord(line, fix) != FixRecordRead::Fix) {
      failed_ = true;
    }
    return !failed_;
  }
  bool failed() const override { return failed_; }

 private:
  bool nextLine(std::string_view& line) {
    for (;;) {
      const char* begin = block_.data() + used_;
      const char* end =
          used_ == block_.size()
              ? nullptr
              : static_cast<const char*>(std::memchr(begin, '\n', block_.size() - used_));
      if (end != nullptr) {
        line = std::string_view(begin, static_cast<std::size_t>(end - begin));
        used_ += line.size() + 1;
        return true;
      }
      if (next_ == end_) return false;
      // Keep the start of the line, and read on behind it.
      block_.erase(block_.begin(), block_.begin() + static_cast<std::ptrdiff_t>(used_));
      used_ = 0;
      const std::size_t kept = block_.size();
      const std::size_t wanted =
          static_cast<std::size_t>(std::min<std::uint64_t>(kBlockSize, end_ - next_));
      block_.resize(kept + wanted);
      if (file_.readAt(next_, block_.data() + kept, wanted) != wanted) {
        failed_ = true;
        return false;
      }
      next_ += wanted;
    }
  }

  JournalFile& file_;
  const FixRecordFormat& format_;
  std::uint64_t next_;
  std::uint64_t end_;
  std::vector<char> block_;
  std::size_t used_ = 0;
  bool failed_ = false;
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
  if (!appended) return fail(file_->why());
  // A dense batch runs to tens of megabytes: let the disk take them while
  // the walk goes on, rather than all at the sync.
  if (file_->size() - writtenOutTo_ >= kWriteOutEvery) {
    file_->startWriteOut();
    writtenOutTo_ = file_->size();
  }
  return true;
}

bool WriteAheadJournal::writeBatch(const FixTable& rules, ProgressSink& progress) {
  // Opened for writing, as the repair will open it: a movie that cannot be
  // written gets no journal.
  auto device = openFileDevice(moviePath_, OpenMode::ReadWrite);
  if (!device) return true;
  MovieStream movie(std::move(device));
  movie.keepWritesInMemory();
  BatchSink sink(*this, progress);
  const WalkOutcome outcome = walkMovie(movie, rules, sink);
  replayable_ = outcome.result == WalkResult::Done && movie.keptWritesHeld();
  if (!flushPending()) return false;
  if (file_ && !file_->sync()) return fail(file_->why());
  if (file_) batchEnd_ = file_->size();
  return failure_.empty();
}

std::optional<WalkOutcome> WriteAheadJournal::replayBatch(
    ProgressSink& sink, const std::function<bool(const FixedReference&)>& beforeFixWritten) {
  if (!replayable_) return std::nullopt;
  if (!file_) return WalkOutcome{WalkResult::Done, 0};  // nothing to fix
  OpenFailure failure;
  auto device = openFileDevice(moviePath_, OpenMode::ReadWrite, &failure);
  if (!device) return WalkOutcome{WalkResult::CannotOpen, 0, failure};
  MovieStream movie(std::move(device));
  BatchRecords records(*file_, format_, cursor_, batchEnd_);
  return replayFixes(movie, records, sink, beforeFixWritten);
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
