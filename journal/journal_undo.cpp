#include "journal/journal_undo.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <tuple>
#include <vector>

#include "journal/fix_record.h"
#include "journal/reverse_lines.h"
#include "journal/word_overlay.h"
#include "movie/movie_stream.h"

namespace vantrel {
namespace {

// A movie whose writes are kept in memory, for a dry run that must read
// back what it would have written.
class DryRunDevice final : public FileDevice {
 public:
  explicit DryRunDevice(std::unique_ptr<FileDevice> movie) : movie_(std::move(movie)) {}
  std::uint64_t size() const override { return movie_->size(); }
  std::size_t readAt(std::uint64_t offset, unsigned char* out, std::size_t n) override {
    const std::size_t got = movie_->readAt(offset, out, n);
    kept_.lay(offset, out, got);
    return got;
  }
  bool writeAt(std::uint64_t offset, const unsigned char* data, std::size_t n) override {
    kept_.keepWrite(*movie_, offset, data, n);
    return true;
  }
  bool sync() override { return true; }
  bool close() override { return movie_->close(); }

 private:
  std::unique_ptr<FileDevice> movie_;
  WordOverlay kept_;
};

// Records whose word held neither their new nor their old value: each is
// explained once an earlier record for the same word has the value held as
// its old one, and is changed since if none has.
class Unexplained {
 public:
  void add(const FixedReference& fix, std::uint32_t held) {
    words_[keyOf(fix)].push_back({fix, held, ++order_});
  }
  // `fix` is an earlier record: the later ones it explains are settled.
  void explain(const FixedReference& fix) {
    if (words_.empty()) return;
    const auto found = words_.find(keyOf(fix));
    if (found == words_.end()) return;
    auto& waiting = found->second;
    waiting.erase(std::remove_if(waiting.begin(), waiting.end(),
                                 [&](const Waiting& w) { return w.held == fix.oldValue; }),
                  waiting.end());
    if (waiting.empty()) words_.erase(found);
  }
  // Those left, in the order they were met.
  template <typename Tell>
  std::uint64_t tellLeft(Tell tell) {
    std::vector<Waiting> left;
    for (auto& [key, waiting] : words_) left.insert(left.end(), waiting.begin(), waiting.end());
    std::sort(left.begin(), left.end(),
              [](const Waiting& a, const Waiting& b) { return a.order < b.order; });
    for (const Waiting& w : left) tell(w.fix, w.held);
    return left.size();
  }

 private:
  struct Waiting {
    FixedReference fix;
    std::uint32_t held;
    std::uint64_t order;
  };
  using Key = std::tuple<std::uint64_t, std::uint32_t, std::uint32_t>;
  static Key keyOf(const FixedReference& fix) {
    std::uint32_t tag = 0;
    std::memcpy(&tag, fix.tag, 4);
    return {fix.valueOffset, tag, fix.number};
  }
  std::map<Key, std::vector<Waiting>> words_;
  std::uint64_t order_ = 0;
};

}  // namespace

UndoOutcome undoJournal(JournalDevice& journal, std::unique_ptr<FileDevice> movie,
                        UndoListener& listener, bool dryRun) {
  if (dryRun) movie = std::make_unique<DryRunDevice>(std::move(movie));
  MovieStream file(std::move(movie));
  UndoOutcome outcome;
  std::uint64_t unwritten = 0;
  Unexplained unexplained;
  ReverseLines lines(journal, kLongestFixRecord);
  std::string line;
  JournalLine read;
  while ((read = lines.previous(line)) == JournalLine::Line || read == JournalLine::TooLong) {
    FixedReference fix{};
    const FixRecordRead record =
        read == JournalLine::TooLong ? FixRecordRead::Malformed : readFixRecord(line, fix);
    if (record == FixRecordRead::Cut) continue;  // its run wrote none of its fixes
    if (record == FixRecordRead::Malformed) {
      ++outcome.notUndone;
      listener.damagedLine(lines.lineStart());
      continue;
    }
    unexplained.explain(fix);
    std::uint32_t held = 0;
    const WordWrite found = writeWordWhereHeld(file, reversed(fix), held);
    switch (found) {
      case WordWrite::Written:
        ++outcome.undone;
        listener.restored(fix);
        break;
      case WordWrite::WriteFailed:
        ++unwritten;
        listener.notWrittenBack(fix);
        break;
      case WordWrite::OtherValue:
        if (held != fix.oldValue) unexplained.add(fix, held);
        break;
      case WordWrite::OtherReference:
      case WordWrite::PastTheEnd:
        ++outcome.notUndone;
        listener.changedSince(fix, found, held);
        break;
    }
  }
  outcome.notUndone += unexplained.tellLeft([&](const FixedReference& fix, std::uint32_t held) {
    listener.changedSince(fix, WordWrite::OtherValue, held);
  });
  // The movie is on the disk before the result is told, or the journal removed.
  const bool saved = file.close();
  outcome.journalUnreadable = read == JournalLine::Unreadable;
  if (outcome.journalUnreadable) outcome.why = journal.why();
  if (!saved || unwritten > 0) {
    outcome.result = UndoResult::WriteFailed;
  } else if (outcome.notUndone > 0 || outcome.journalUnreadable) {
    outcome.result = UndoResult::NotAllUndone;
  } else if (!dryRun && !journal.remove()) {
    outcome.why = journal.why();
    outcome.result = UndoResult::JournalKept;
  }
  return outcome;
}

}  // namespace vantrel
