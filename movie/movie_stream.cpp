#include "movie/movie_stream.h"

#include "movie/le_word.h"

namespace vantrel {

MovieStream::MovieStream(std::unique_ptr<FileDevice> device) : device_(std::move(device)) {}

MovieStream::~MovieStream() { close(); }

std::uint64_t MovieStream::size() const { return device_ ? device_->size() : 0; }

bool MovieStream::seek(std::uint64_t offset) {
  if (!device_ || offset > device_->size()) return false;
  position_ = offset;
  return true;
}

bool MovieStream::readBytes(unsigned char* out, std::size_t n) {
  if (!device_ || n > device_->size() - position_) return false;
  if (device_->readAt(position_, out, n) != n) return false;
  position_ += n;
  return true;
}

bool MovieStream::readWord(std::uint32_t& word) {
  unsigned char bytes[4];
  if (!readBytes(bytes, sizeof bytes)) return false;
  word = readLe32(bytes);
  return true;
}

bool MovieStream::writeWord(std::uint32_t word) {
  if (!device_ || 4 > device_->size() - position_) return false;
  unsigned char bytes[4];
  writeLe32(word, bytes);
  if (!device_->writeAt(position_, bytes, sizeof bytes)) {
    writeLost_ = true;
    return false;
  }
  position_ += 4;
  return true;
}

bool MovieStream::close() {
  if (!device_) return !writeLost_;
  const bool saved = device_->close();
  device_.reset();
  return saved && !writeLost_;
}

}  // namespace vantrel
