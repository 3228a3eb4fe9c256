#ifndef VANTREL_MOVIE_FILE_DEVICE_H_
#define VANTREL_MOVIE_FILE_DEVICE_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "movie/walk_result.h"

namespace vantrel {

enum class OpenMode { ReadWrite, ReadOnly };

// The raw file under a MovieStream: positioned reads and writes, a sync to
// stable storage, and a close, each saying whether it worked. Tests put
// devices of their own here (in memory, or failing on purpose).
class FileDevice {
 public:
  virtual ~FileDevice() = default;

  // The file's size when it was opened; the walk never changes it.
  virtual std::uint64_t size() const = 0;

  // Reads up to `n` bytes at `offset` into `out`; returns how many arrived,
  // fewer at the end of the file or on a read error.
  virtual std::size_t readAt(std::uint64_t offset, unsigned char* out, std::size_t n) = 0;

  // Writes the `n` bytes at `offset` to the file now, and nothing else;
  // false when they were not all written.
  virtual bool writeAt(std::uint64_t offset, const unsigned char* data, std::size_t n) = 0;

  // Puts everything written so far on stable storage; false when the
  // system cannot.
  virtual bool sync() = 0;

  // Closes the file; false when the system reports a failure. Called once.
  virtual bool close() = 0;
};

// Opens the movie file at `path` in binary mode without denying other
// programs read or write access. Null when it cannot be opened in that mode
// or is not a regular file, and then `failure`, when given, says why. A
// named pipe, a device or a socket is refused before it is opened, since
// opening one may wait for another program or set a device going.
std::unique_ptr<FileDevice> openFileDevice(const std::string& path, OpenMode mode,
                                           OpenFailure* failure = nullptr);

}  // namespace vantrel

#endif  // VANTREL_MOVIE_FILE_DEVICE_H_
