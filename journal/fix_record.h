#ifndef VANTREL_JOURNAL_FIX_RECORD_H_
#define VANTREL_JOURNAL_FIX_RECORD_H_

#include <cstddef>
#include <string>
#include <string_view>

#include "movie/progress_sink.h"

// The "fix" record of JSON Lines, as --list --json prints it and as a
// journal holds it:
//   {"type":"fix","movie":"a.qlm","offset":28,"tag":"ABCD","number":7,
//    "old":2,"new":5,"line":1}
// Written often (a dense repair journals hundreds of thousands of fixes),
// so the part that names the movie is made once.
namespace vantrel {

class FixRecordFormat {
 public:
  // `movieJson` is the movie's path as a JSON string, quotes included, as
  // the front end's other records spell it.
  explicit FixRecordFormat(const std::string& movieJson);
  // Appends the record of `fix` to `out`, without a line end.
  void append(std::string& out, const FixedReference& fix) const;
  // Reads back into `fix` a record that append() wrote for this movie,
  // quickly; false for any other line (readFixRecord() reads those).
  bool readOwn(std::string_view line, FixedReference& fix) const;

 private:
  std::string head_;  // everything up to the offset's value
};

// What a journal line holds.
enum class FixRecordRead {
  Fix,        // a whole fix record
  Cut,        // the start of one, cut short by a run that was stopped
  Malformed,  // anything else
};

// The longest line a fix record can be: a path of 32,767 UTF-16 units, each
// spelt as a JSON escape, and the fields around it. A longer line is no
// record, and is passed over unread.
inline constexpr std::size_t kLongestFixRecord = std::size_t{256} << 10;

// Reads the fix record in `line` (without its line end) into `fix`; its
// "movie" field is passed over, and a "line" that is missing or null is 0.
FixRecordRead readFixRecord(std::string_view line, FixedReference& fix);

}  // namespace vantrel

#endif  // VANTREL_JOURNAL_FIX_RECORD_H_
