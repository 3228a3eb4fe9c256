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

  // Reuse the window least recently used. It holds nothing that the file
  // does not: every write has gone to the file already.
  victim->length = 0;
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
  if (&window == current_) return;
  previous_ = current_;
  current_ = &window;
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

bool MovieStream::peekBytes(std::uint64_t offset, unsigned char* out, std::size_t n) {
  if (!device_ || offset > size_ || n > size_ - offset) return false;
  for (const Window& window : windows_) {
    if (window.length > 0 && offset >= window.start &&
        offset - window.start + n <= window.length) {
      std::memcpy(out, window.bytes.data() + (offset - window.start), n);
      return true;
    }
  }
  return device_->readAt(offset, out, n) == n;
}

bool MovieStream::writeWord(std::uint32_t word) {
  if (!device_ || 4 > size_ - position_) return false;
  unsigned char bytes[4];
  writeLe32(word, bytes);
  wroteAny_ = true;
  const bool written = device_->writeAt(position_, bytes, sizeof bytes);
  afterWrite(position_, bytes, sizeof bytes, written);
  if (written) position_ += sizeof bytes;
  return written;
}

void MovieStream::afterWrite(std::uint64_t offset, const unsigned char* bytes, std::size_t n,
                             bool written) {
  // A word may straddle two windows; each takes its part.
  for (Window& window : windows_) {
    const std::uint64_t windowEnd = window.start + window.length;
    if (window.length == 0 || offset + n <= window.start || offset >= windowEnd) continue;
    if (!written) {
      // Part of the word may have reached the file: read it again when needed.
      window.length = 0;
      window.lastUse = 0;  // the first to be reused
      continue;
    }
    const std::uint64_t from = std::max(offset, window.start);
    const std::uint64_t to = std::min(offset + n, windowEnd);
    std::memcpy(window.bytes.data() + (from - window.start), bytes + (from - offset),
                static_cast<std::size_t>(to - from));
  }
}

bool MovieStream::close() {
  if (!device_) return closedWell_;
  const bool synced = !wroteAny_ || device_->sync();
  const bool closed = device_->close();
  closedWell_ = synced && closed;
  device_.reset();
  windows_ = {};
  return closedWell_;
}

}  // namespace vantrel
