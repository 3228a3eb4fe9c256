#include "journal/journal_appender.h"

namespace vantrel {
namespace {

// Records are appended in pieces of about this size, so that a batch's
// text never has to be held whole, however long the movie's path.
constexpr std::size_t kPieceSize = std::size_t{256} << 10;
// A large batch is handed to the disk on the way, rather than all at the sync.
constexpr std::uint64_t kWriteOutEvery = std::uint64_t{4} << 20;

}  // namespace

bool JournalAppender::fail() {
  if (why_.empty()) why_ = device_.why().empty() ? "the journal cannot be written" : device_.why();
  return false;
}

bool JournalAppender::endCutLine() {
  char last = '\n';
  if (device_.size() > 0 && device_.readAt(device_.size() - 1, &last, 1) != 1) return fail();
  return last == '\n' || device_.append("\n", 1) || fail();
}

bool JournalAppender::appendSynced(const std::vector<FixedReference>& fixes) {
  if (!why_.empty()) return false;
  if (!started_) {
    if (!endCutLine()) return false;
    started_ = true;
  }
  for (std::size_t i = 0; i < fixes.size(); ++i) {
    format_.append(pending_, fixes[i]);
    pending_ += '\n';
    if (pending_.size() < kPieceSize && i + 1 < fixes.size()) continue;
    const bool appended = device_.append(pending_.data(), pending_.size());
    pending_.clear();
    if (!appended) return fail();
    if (device_.size() - writtenOutTo_ >= kWriteOutEvery) {
      device_.startWriteOut();
      writtenOutTo_ = device_.size();
    }
  }
  if (!device_.sync()) return fail();
  if (device_.created() && !nameSynced_) {
    if (!device_.syncName()) return fail();
    nameSynced_ = true;
  }
  return true;
}

}  // namespace vantrel
