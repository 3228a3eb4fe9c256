#include "journal/group_commit.h"

#include <algorithm>

#include "journal/word_overlay.h"
#include "movie/movie_stream.h"
#include "movie/word_write.h"

namespace vantrel {
namespace {

// The fixes of the batch being gathered, and what writes them.
class PendingBatch {
 public:
  PendingBatch(std::unique_ptr<FileDevice> disk, BatchSeam& seam, ProgressSink& sink,
               std::size_t fixesPerBatch)
      : disk_(std::move(disk)), seam_(seam), sink_(sink), fixesPerBatch_(fixesPerBatch) {}

  FileDevice& disk() { return *disk_; }

  // Before the walk writes `fix`: a full batch goes first. False once the
  // seam refused a batch.
  bool add(const FixedReference& fix) {
    if (refused_) return false;
    if (fixes_.size() >= fixesPerBatch_ && !commit()) return false;
    if (fixes_.empty()) {
      // The whole batch's room at once: growing would copy it.
      fixes_.reserve(fixesPerBatch_);
      held_.reserve(fixesPerBatch_);
    }
    fixes_.push_back(fix);
    return true;
  }

  // The walk's writes, kept in memory.
  WordOverlay& held() { return held_; }

  // The seam for the pending fixes, then each written where it still holds
  // what the walk saw. False when the seam refused them.
  bool commit() {
    if (refused_) return false;
    if (fixes_.empty()) return true;
    if (!seam_.beforeBatch(fixes_)) {
      refused_ = true;
      fixes_.clear();
      held_.clear();
      return false;
    }
    MovieStream file(std::make_unique<DiskView>(*disk_));
    for (const FixedReference& fix : fixes_) {
      std::uint32_t found = 0;
      switch (writeWordWhereHeld(file, fix, found)) {
        case WordWrite::Written:
          ++written_;
          sink_.referenceFixed(fix);
          break;
        case WordWrite::WriteFailed:
          ++failedWrites_;
          sink_.writeFailed(fix.valueOffset);
          break;
        default:
          break;  // another program changed it meanwhile: left as it is
      }
    }
    fixes_.clear();
    held_.clear();
    return true;
  }

  bool refused() const { return refused_; }
  std::uint64_t written() const { return written_; }
  std::uint64_t failedWrites() const { return failedWrites_; }

 private:
  // The movie file itself, for the stream that writes a batch; its sync and
  // close are the walk's.
  class DiskView final : public FileDevice {
   public:
    explicit DiskView(FileDevice& disk) : disk_(disk) {}
    std::uint64_t size() const override { return disk_.size(); }
    std::size_t readAt(std::uint64_t offset, unsigned char* out, std::size_t n) override {
      return disk_.readAt(offset, out, n);
    }
    bool writeAt(std::uint64_t offset, const unsigned char* data, std::size_t n) override {
      return disk_.writeAt(offset, data, n);
    }
    bool sync() override { return true; }
    bool close() override { return true; }

   private:
    FileDevice& disk_;
  };

  std::unique_ptr<FileDevice> disk_;
  BatchSeam& seam_;
  ProgressSink& sink_;
  std::size_t fixesPerBatch_;
  std::vector<FixedReference> fixes_;
  WordOverlay held_;  // the words of the pending fixes, as written
  bool refused_ = false;
  std::uint64_t written_ = 0;
  std::uint64_t failedWrites_ = 0;
};

// The movie as the walk sees it: the file, with the pending fixes over it.
// Its sync writes the last batch first.
class PendingView final : public FileDevice {
 public:
  explicit PendingView(PendingBatch& batch) : batch_(batch) {}
  std::uint64_t size() const override { return batch_.disk().size(); }
  std::size_t readAt(std::uint64_t offset, unsigned char* out, std::size_t n) override {
    const std::size_t got = batch_.disk().readAt(offset, out, n);
    batch_.held().lay(offset, out, got);
    return got;
  }
  bool writeAt(std::uint64_t offset, const unsigned char* data, std::size_t n) override {
    batch_.held().keepWrite(batch_.disk(), offset, data, n);
    return true;
  }
  bool sync() override {
    const bool committed = batch_.commit();
    return batch_.disk().sync() && committed;
  }
  bool close() override { return batch_.disk().close(); }

 private:
  PendingBatch& batch_;
};

// The walk's own sink, but for the fixes, which the batch tells once written.
class WalkSink final : public ProgressSink {
 public:
  explicit WalkSink(ProgressSink& sink) : sink_(sink) {}
  void begin(std::uint32_t total) override { sink_.begin(total); }
  void step() override { sink_.step(); }
  void writeFailed(std::uint64_t valueOffset) override { sink_.writeFailed(valueOffset); }
  void referenceRead(const ReadReference& reference) override { sink_.referenceRead(reference); }

 private:
  ProgressSink& sink_;
};

}  // namespace

WalkOutcome patchInBatches(std::unique_ptr<FileDevice> movie, const FixTable& rules,
                           ProgressSink& sink, BatchSeam& seam, WalkOptions options,
                           std::size_t fixesPerBatch) {
  PendingBatch batch(std::move(movie), seam, sink, std::max<std::size_t>(fixesPerBatch, 1));
  options.beforeFixWritten = [&batch](const FixedReference& fix) { return batch.add(fix); };
  WalkSink walkSink(sink);
  WalkOutcome outcome;
  {
    MovieStream file(std::make_unique<PendingView>(batch));
    outcome = walkMovie(file, rules, walkSink, std::move(options));
    file.close();  // the last batch, when the walk did not close it
  }
  outcome.fixCount = batch.written();
  if (batch.refused()) {
    // A write that failed may have reached the file in part.
    const bool untouched = batch.written() == 0 && batch.failedWrites() == 0;
    outcome.result = untouched ? WalkResult::WriteRefused : WalkResult::WriteFailed;
  } else if (batch.failedWrites() > 0 && outcome.result == WalkResult::Done) {
    outcome.result = WalkResult::WriteFailed;
  }
  return outcome;
}

}  // namespace vantrel
