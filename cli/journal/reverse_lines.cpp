#include "cli/journal/reverse_lines.h"

#include <algorithm>

namespace vantrel::cli {
namespace {

constexpr std::size_t kBlockSize = std::size_t{1} << 16;

}  // namespace

ReverseLines::ReverseLines(JournalFile& file) : file_(file), next_(file.size()) {
  // Back to just past the last line end.
  while (next_ > 0) {
    if (!load(next_)) {
      next_ = 0;
      return;
    }
    const auto begin = block_.begin();
    const auto lastEnd = std::find(
        std::make_reverse_iterator(begin + static_cast<std::ptrdiff_t>(next_ - blockStart_)),
        std::make_reverse_iterator(begin), '\n');
    if (lastEnd != std::make_reverse_iterator(begin)) {
      next_ = blockStart_ + static_cast<std::uint64_t>(lastEnd.base() - begin);
      return;
    }
    next_ = blockStart_;
  }
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

bool ReverseLines::previous(std::string& line) {
  if (failed_ || next_ == 0) return false;
  const std::uint64_t lineEnd = next_ - 1;
  std::uint64_t start = 0;
  if (!findStart(lineEnd, start)) return false;
  line.resize(static_cast<std::size_t>(lineEnd - start));
  if (start >= blockStart_ && lineEnd <= blockStart_ + block_.size()) {
    std::copy_n(block_.begin() + static_cast<std::ptrdiff_t>(start - blockStart_), line.size(),
                line.begin());
  } else if (file_.readAt(start, line.data(), line.size()) != line.size()) {
    failed_ = true;
    return false;
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  next_ = start;
  return true;
}

}  // namespace vantrel::cli
