#ifndef VANTREL_CLI_JOURNAL_REVERSE_LINES_H_
#define VANTREL_CLI_JOURNAL_REVERSE_LINES_H_

#include <cstdint>
#include <string>
#include <vector>

#include "cli/journal/journal_file.h"

namespace vantrel::cli {

// The complete lines of a journal, last to first, read a block at a time
// from its end, so that memory stays the size of a block and of the
// longest line. What follows the last line end was being written when a
// run was stopped, and is passed over.
class ReverseLines {
 public:
  explicit ReverseLines(JournalFile& file);

  // The line before the one returned last (at first, the last complete
  // line), without its line end; false at the start of the file, or when
  // the file could not be read (failed()).
  bool previous(std::string& line);
  bool failed() const { return failed_; }
  // Where in the file the line previous() returned last starts.
  std::uint64_t lineStart() const { return next_; }

 private:
  // Makes the block that ends at `end` the one held; false when unreadable.
  bool load(std::uint64_t end);
  // Where the line that ends at `lineEnd` (at its line end) starts.
  bool findStart(std::uint64_t lineEnd, std::uint64_t& start);

  JournalFile& file_;
  std::uint64_t next_;  // the end of the lines not read yet, just past a line end
  std::vector<char> block_;
  std::uint64_t blockStart_ = 0;
  bool failed_ = false;
};

}  // namespace vantrel::cli

#endif  // VANTREL_CLI_JOURNAL_REVERSE_LINES_H_
