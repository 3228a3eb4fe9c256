#ifndef VANTREL_JOURNAL_REVERSE_LINES_H_
#define VANTREL_JOURNAL_REVERSE_LINES_H_

#include <cstdint>
#include <string>
#include <vector>

#include "journal/journal_device.h"

namespace vantrel {

// What ReverseLines::previous() found.
enum class JournalLine {
  Line,        // a complete line
  TooLong,     // a line longer than any fix record can be: not read
  Start,       // the start of the file: no line is left
  Unreadable,  // the file could not be read (why() of the device says why)
};

// The complete lines of a journal, last to first, read a block at a time
// from its end: memory stays a block and the longest line kept, whatever
// the file holds. What follows the last line end was being written when a
// run was stopped, and is passed over.
class ReverseLines {
 public:
  ReverseLines(JournalDevice& file, std::size_t longestLine);

  // The line before the one returned last (at first, the last complete
  // line), without its line end.
  JournalLine previous(std::string& line);
  // Where in the file the line previous() returned last starts.
  std::uint64_t lineStart() const { return next_; }

 private:
  // Makes the block that ends at `end` the one held; false when unreadable.
  bool load(std::uint64_t end);
  // Where the line whose line end is at `lineEnd` starts; false when unreadable.
  bool findStart(std::uint64_t lineEnd, std::uint64_t& start);

  JournalDevice& file_;
  std::size_t longestLine_;
  std::uint64_t next_;  // the end of the lines not read yet, just past a line end
  std::vector<char> block_;
  std::uint64_t blockStart_ = 0;
  bool failed_ = false;
};

}  // namespace vantrel

#endif  // VANTREL_JOURNAL_REVERSE_LINES_H_
