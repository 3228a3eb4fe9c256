#include "journal/reverse_lines.h"

#include <algorithm>

namespace vantrel {
namespace {

constexpr std::size_t kBlockSize = std::size_t{1} << 16;

}  // namespace

ReverseLines::ReverseLines(JournalDevice& file, std::size_t longestLine)
    : file_(file), longestLine_(longestLine), next_(file.size()) {
  // Back to just past the last line end.
  if (next_ == 0) return;
  std::uint64_t start = 0;
  if (!findStart(next_, start)) {
    next_ = 0;
    return;
  }
  next_ = start;
}

bool ReverseLines::load(std::uint64_t end) {
  if (!block_.empty() && end > blockStart_ && end <= blockStart_ + block_.size()) return true;
  const std::uint64_t start = end > kBlockSize ? end - kBlockSize : 0;
  block_.resize(static_cast<std::size_t>(end - start));
  if (file_.readAt(start, block_.data(), block_.size()) != block_.size()) {
    block_.clear();
    failed_ = true;
    return false;
  }
  blockStart_ = start;
  return true;
}

bool ReverseLines::findStart(std::uint64_t lineEnd, std::uint64_t& start) {
  std::uint64_t end = lineEnd;  // the bytes before `end` are searched
  while (end > 0) {
    if (!load(end)) return false;
    const auto from = block_.begin() + static_cast<std::ptrdiff_t>(end - blockStart_);
    const auto found = std::find(std::make_reverse_iterator(from),
                                 std::make_reverse_iterator(block_.begin()), '\n');
    if (found != std::make_reverse_iterator(block_.begin())) {
      start = blockStart_ + static_cast<std::uint64_t>(found.base() - block_.begin());
      return true;
    }
    end = blockStart_;
  }
  start = 0;
  return true;
}

JournalLine ReverseLines::previous(std::string& line) {
  line.clear();
  if (failed_) return JournalLine::Unreadable;
  if (next_ == 0) return JournalLine::Start;
  const std::uint64_t lineEnd = next_ - 1;
  std::uint64_t start = 0;
  if (!findStart(lineEnd, start)) return JournalLine::Unreadable;
  next_ = start;
  if (lineEnd - start > longestLine_) return JournalLine::TooLong;
  line.resize(static_cast<std::size_t>(lineEnd - start));
  if (start >= blockStart_ && lineEnd <= blockStart_ + block_.size()) {
    std::copy_n(block_.begin() + static_cast<std::ptrdiff_t>(start - blockStart_), line.size(),
                line.begin());
  } else if (file_.readAt(start, line.data(), line.size()) != line.size()) {
    failed_ = true;
    return JournalLine::Unreadable;
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return JournalLine::Line;
}

}  // namespace vantrel
