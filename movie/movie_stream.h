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
// The two windows used last are tried first, inline: that covers the walk
// going back and forth between a chunk and the index.
// A written word goes to the file at once, in one write of exactly its four
// bytes: other programs may change the bytes around it meanwhile, so no
// byte that was only read is ever written back. Windows that hold the word
// then hold what the file holds: the new bytes when the write worked, and
// after a failure nothing (they are read again when next needed).
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
    if (const unsigned char* bytes = inRecentWindows(n)) {
      std::memcpy(out, bytes, n);
      position_ += n;
      return true;
    }
    return readThroughWindows(out, n);
  }
  bool readWord(std::uint32_t& word) {
    if (const unsigned char* bytes = inRecentWindows(4)) {
      word = readLe32(bytes);
      position_ += 4;
      return true;
    }
    unsigned char bytes[4];
    if (!readBytes(bytes, sizeof bytes)) return false;
    word = readLe32(bytes);
    return true;
  }

  // Reads the `n` bytes at `offset` without moving the position or loading
  // a window: from a window that holds them all, else straight from the
  // file. For a look ahead at a few scattered words, which would otherwise
  // pull in a window of the file for each; false when they are not all there.
  bool peekBytes(std::uint64_t offset, unsigned char* out, std::size_t n);

  // Writes one word to the file at the position and steps past it; false,
  // and the position stays, when the file did not take all four bytes or
  // they would lie past its end. A failed write does not stop later ones.
  bool writeWord(std::uint32_t word);

  // Closes the file, first putting it on stable storage when any write was
  // attempted: false when that sync or the close failed. Later calls do
  // nothing and answer as the first did.
  bool close();

 private:
  struct Window {
    std::vector<unsigned char> bytes;
    std::uint64_t start = 0;
    std::size_t length = 0;  // bytes held; 0 when the window holds nothing
    std::uint64_t lastUse = 0;
  };
  static constexpr std::size_t kWindowSize = std::size_t{1} << 18;
  static constexpr std::size_t kWindowCount = 4;

  // The `n` bytes at the position when `window` holds them all.
  const unsigned char* inWindow(const Window& window, std::size_t n) const {
    const std::uint64_t offset = position_ - window.start;
    if (position_ < window.start || offset + n > window.length) return nullptr;
    return window.bytes.data() + offset;
  }
  // The same for the current window, or else the previous one, which then
  // becomes current.
  const unsigned char* inRecentWindows(std::size_t n) {
    if (const unsigned char* bytes = inWindow(*current_, n)) return bytes;
    const unsigned char* bytes = inWindow(*previous_, n);
    if (bytes != nullptr) makeCurrent(*previous_);
    return bytes;
  }

  bool readThroughWindows(unsigned char* out, std::size_t n);
  Window* windowFor(std::uint64_t offset);
  void makeCurrent(Window& window);
  // Gives the windows that hold any of the `n` bytes at `offset` what the
  // file now holds there: `bytes` when they were written, else nothing.
  void afterWrite(std::uint64_t offset, const unsigned char* bytes, std::size_t n, bool written);

  std::unique_ptr<FileDevice> device_;
  std::uint64_t size_ = 0;
  std::uint64_t position_ = 0;
  bool wroteAny_ = false;  // a write was attempted, so close() syncs
  bool closedWell_ = true;
  std::array<Window, kWindowCount> windows_;
  std::uint64_t useClock_ = 0;
  // The windows the last two accesses used, for the inline fast path.
  Window* current_ = &windows_[0];
  Window* previous_ = &windows_[1];
};

}  // namespace vantrel

#endif  // VANTREL_MOVIE_MOVIE_STREAM_H_
