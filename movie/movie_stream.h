#ifndef VANTREL_MOVIE_MOVIE_STREAM_H_
#define VANTREL_MOVIE_MOVIE_STREAM_H_

#include <cstddef>
#include <cstdint>
#include <memory>

#include "movie/file_device.h"

namespace vantrel {

// The walk's view of a movie file: a position, absolute seeks, and reads and
// writes of single little-endian words at that position. Every call says
// whether it worked; nothing is read past the end of the file.
class MovieStream {
 public:
  explicit MovieStream(std::unique_ptr<FileDevice> device);
  ~MovieStream();
  MovieStream(const MovieStream&) = delete;
  MovieStream& operator=(const MovieStream&) = delete;

  std::uint64_t size() const;
  std::uint64_t position() const { return position_; }

  // Moves to `offset`; false, and the position stays, when it lies past the
  // end of the file. The end itself is a valid position.
  bool seek(std::uint64_t offset);

  // Read `n` bytes, or one word, at the position and step past them; false
  // when they are not all there (the position then stays).
  bool readBytes(unsigned char* out, std::size_t n);
  bool readWord(std::uint32_t& word);

  // Writes one word at the position and steps past it; false when the word
  // could not be written.
  bool writeWord(std::uint32_t word);

  // Saves what was written and closes the file: false when any write since
  // the stream was opened did not reach the file. Later calls do nothing.
  bool close();

 private:
  std::unique_ptr<FileDevice> device_;
  std::uint64_t position_ = 0;
  bool writeLost_ = false;
};

}  // namespace vantrel

#endif  // VANTREL_MOVIE_MOVIE_STREAM_H_
