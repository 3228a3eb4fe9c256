#include "movie/movie_stream.h"

#include <algorithm>
#include <cstring>

namespace vantrel {

MovieStream::MovieStream(std::unique_ptr<FileDevice> device)
    : device_(std::move(device)), size_(device_ ? device_->size() : 0) {}

MovieStream::~MovieStream() { close(); }

MovieStream::Window* MovieStream::windowFor(std::uint64_t offset) {
  const std::uint64_t start = offset - offset % kWindowSize;
  Window* victim = &windows_[0];
  for (Window& window : windows_) {
    if (window.length > 0 && window.start == start) {
      makeCurrent(window);
      return &window;
    }
    if (window.lastUse < victim->lastUse) victim = &window;
  }

  // Reuse the window least recently used; what was written to it goes out
  // first.
  flush(*victim);
  victim->length = 0;
  currentLength_ = 0;
  const std::size_t wanted =
      static_cast<std::size_t>(std::min<std::uint64_t>(kWindowSize, size_ - start));
  if (victim->bytes.size() < wanted) victim->bytes.resize(wanted);
  if (device_->readAt(start, victim->bytes.data(), wanted) != wanted) return nullptr;
  victim->start = start;
  victim->length = wanted;
  makeCurrent(*victim);
  return victim;
}

void MovieStream::makeCurrent(Window& window) {
  window.lastUse = ++useClock_;
  currentBytes_ = window.bytes.data();
  currentStart_ = window.start;
  currentLength_ = window.length;
}

bool MovieStream::flush(Window& window) {
  if (window.dirtyBegin == window.dirtyEnd) return true;
  const bool written =
      device_->writeAt(window.start + window.dirtyBegin, window.bytes.data() + window.dirtyBegin,
                       window.dirtyEnd - window.dirtyBegin);
  window.dirtyBegin = window.dirtyEnd = 0;
  if (!written) writeLost_ = true;
  return written;
}

bool MovieStream::readThroughWindows(unsigned char* out, std::size_t n) {
  if (!device_ || n > size_ - position_) return false;
  // A read may straddle two windows.
  std::uint64_t at = position_;
  std::size_t done = 0;
  while (done < n) {
    const Window* window = windowFor(at);
    if (window == nullptr) return false;
    const std::size_t offset = static_cast<std::size_t>(at - window->start);
    const std::size_t count = std::min(n - done, window->length - offset);
    std::memcpy(out + done, window->bytes.data() + offset, count);
    done += count;
    at += count;
  }
  position_ += n;
  return true;
}

bool MovieStream::writeWord(std::uint32_t word) {
  if (!device_ || writeLost_ || 4 > size_ - position_) return false;
  // A word may straddle two windows: both are loaded before either is
  // changed, so a failed read never leaves half a word written.
  if (windowFor(position_ + 3) == nullptr || windowFor(position_) == nullptr) return false;
  unsigned char bytes[4];
  writeLe32(word, bytes);
  std::uint64_t at = position_;
  std::size_t done = 0;
  while (done < sizeof bytes) {
    Window* window = windowFor(at);
    if (window == nullptr) return false;
    const std::size_t offset = static_cast<std::size_t>(at - window->start);
    const std::size_t count = std::min(sizeof bytes - done, window->length - offset);
    std::memcpy(window->bytes.data() + offset, bytes + done, count);
    if (window->dirtyBegin == window->dirtyEnd) {
      window->dirtyBegin = offset;
      window->dirtyEnd = offset + count;
    } else {
      window->dirtyBegin = std::min(window->dirtyBegin, offset);
      window->dirtyEnd = std::max(window->dirtyEnd, offset + count);
    }
    done += count;
    at += count;
  }
  position_ += sizeof bytes;
  return true;
}

bool MovieStream::close() {
  if (!device_) return !writeLost_;
  for (Window& window : windows_) flush(window);
  const bool saved = device_->close();
  device_.reset();
  windows_ = {};
  currentLength_ = 0;
  return saved && !writeLost_;
}

}  // namespace vantrel
