#ifndef VANTREL_MOVIE_MOVIE_STREAM_H_
#define VANTREL_MOVIE_MOVIE_STREAM_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "movie/file_device.h"
#include "movie/le_word.h"

namespace vantrel {

// The walk's view of a movie file: a position, absolute seeks, and reads and
// writes of single little-endian words at that position. Every call says
// whether it worked; nothing is read past the end of the file.
//
// The file is read through a few windows of it held in memory, so that
// seeks and word reads inside them cost no system call; the walk moves
// between the chunk index and the chunks' data, and each keeps its window.
// Written words stay in their window, and reads see them, until the window
// is reused or the stream is closed; a write that then fails is not lost
// silently: later writes are refused and close() reports it.
class MovieStream {
 public:
  explicit MovieStream(std::unique_ptr<FileDevice> device);
  ~MovieStream();
  MovieStream(const MovieStream&) = delete;
  MovieStream& operator=(const MovieStream&) = delete;

  std::uint64_t size() const { return size_; }
  std::uint64_t position() const { return position_; }

  // Moves to `offset`; false, and the position stays, when it lies past the
  // end of the file. The end itself is a valid position.
  bool seek(std::uint64_t offset) {
    if (offset > size_) return false;
    position_ = offset;
    return true;
  }

  // Read `n` bytes, or one word, at the position and step past them; false
  // when they are not all there (the position then stays).
  bool readBytes(unsigned char* out, std::size_t n) {
    if (const unsigned char* bytes = inCurrentWindow(n)) {
      std::memcpy(out, bytes, n);
      position_ += n;
      return true;
    }
    return readThroughWindows(out, n);
  }
  bool readWord(std::uint32_t& word) {
    if (const unsigned char* bytes = inCurrentWindow(4)) {
      word = readLe32(bytes);
      position_ += 4;
      return true;
    }
    unsigned char bytes[4];
    if (!readBytes(bytes, sizeof bytes)) return false;
    word = readLe32(bytes);
    return true;
  }

  // Writes one word at the position and steps past it; false when the word
  // cannot be taken: past the end of the file, or after the file has
  // refused an earlier write.
  bool writeWord(std::uint32_t word);

  // Saves what was written and closes the file: false when any write since
  // the stream was opened did not reach the file. Later calls do nothing.
  bool close();

 private:
  struct Window {
    std::vector<unsigned char> bytes;
    std::uint64_t start = 0;
    std::size_t length = 0;  // bytes held; 0 when the window holds nothing
    std::size_t dirtyBegin = 0;
    std::size_t dirtyEnd = 0;  // dirty bytes are [dirtyBegin, dirtyEnd)
    std::uint64_t lastUse = 0;
  };
  static constexpr std::size_t kWindowSize = std::size_t{1} << 18;
  static constexpr std::size_t kWindowCount = 4;

  // The `n` bytes at the position when the current window holds them all.
  const unsigned char* inCurrentWindow(std::size_t n) const {
    const std::uint64_t offset = position_ - currentStart_;
    if (position_ < currentStart_ || offset + n > currentLength_) return nullptr;
    return currentBytes_ + offset;
  }

  bool readThroughWindows(unsigned char* out, std::size_t n);
  Window* windowFor(std::uint64_t offset);
  void makeCurrent(Window& window);
  bool flush(Window& window);

  std::unique_ptr<FileDevice> device_;
  std::uint64_t size_ = 0;
  std::uint64_t position_ = 0;
  bool writeLost_ = false;
  std::array<Window, kWindowCount> windows_;
  std::uint64_t useClock_ = 0;
  // The window the last access used, for the inline fast path.
  const unsigned char* currentBytes_ = nullptr;
  std::uint64_t currentStart_ = 0;
  std::size_t currentLength_ = 0;
};

}  // namespace vantrel

#endif  // VANTREL_MOVIE_MOVIE_STREAM_H_
