#ifndef VANTREL_FIXRULES_RULE_READER_H_
#define VANTREL_FIXRULES_RULE_READER_H_

#include <cstddef>
#include <functional>

#include "fixrules/fix_loader.h"

namespace vantrel {

// Hands out bytes of a rule file: fills up to `room` bytes at `out` and
// returns how many it gave, 0 at the end.
using ByteReader = std::function<std::size_t(char* out, std::size_t room)>;

// Reads a rule file's bytes, as `read` hands them out, through a buffer of
// `bufferSize` bytes, and stops reading once the rules end. `sizeHint` is
// the file's size when known, 0 otherwise; it only sizes what is reserved
// for the rules. loadFixTable and parseFixText are this with a file and a
// string; the result never depends on the buffer's size, on how many bytes
// each read gives, or on the hint.
FixLoad readFixRules(const ByteReader& read, std::size_t bufferSize, std::size_t sizeHint);

}  // namespace vantrel

#endif  // VANTREL_FIXRULES_RULE_READER_H_
