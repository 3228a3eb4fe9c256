#include "fixrules/rule_text.h"

#include <algorithm>
#include <cstring>

namespace vantrel {

RuleText::RuleText(const ByteReader& read, std::size_t bufferSize)
    : read_(read), bytes_(std::max<std::size_t>(bufferSize, 8)) {
  bytes_[0] = '\0';
}

void RuleText::fill(std::size_t keepFrom) {
  std::memmove(bytes_.data(), bytes_.data() + keepFrom, end_ - keepFrom);
  end_ -= keepFrom;
  begin_ = 0;
  if (bytes_.size() - end_ < 3) bytes_.resize(bytes_.size() * 2);
  const std::size_t start = end_;
  if (heldCr_) bytes_[end_++] = '\r';
  heldCr_ = false;
  if (!ended_) readPiece(start);
  bytes_[end_] = '\0';
}

void RuleText::readPiece(std::size_t start) {
  std::size_t got = read_(bytes_.data() + end_, bytes_.size() - end_ - 1);
  if (got == 0) ended_ = true;
  if (const void* ctrlZ = std::memchr(bytes_.data() + end_, '\x1a', got)) {
    got = static_cast<std::size_t>(static_cast<const char*>(ctrlZ) - (bytes_.data() + end_));
    ended_ = cutByCtrlZ_ = true;
  }
  end_ += got;
  foldLineEnds(start);
  // A CR at the end of the piece may start a CR LF pair.
  if (!ended_ && end_ > start && bytes_[end_ - 1] == '\r') {
    heldCr_ = true;
    --end_;
  }
}

void RuleText::foldLineEnds(std::size_t from) {
  char* text = bytes_.data();
  const void* firstCr = std::memchr(text + from, '\r', end_ - from);
  if (firstCr == nullptr) return;
  std::size_t out = static_cast<std::size_t>(static_cast<const char*>(firstCr) - text);
  for (std::size_t in = out; in < end_; ++in) {
    if (text[in] == '\r' && in + 1 < end_ && text[in + 1] == '\n') continue;
    text[out++] = text[in];
  }
  end_ = out;
}

}  // namespace vantrel
