#ifndef VANTREL_FIXRULES_RULE_READER_H_
#define VANTREL_FIXRULES_RULE_READER_H_

#include <cstddef>

#include "fixrules/fix_loader.h"
#include "fixrules/rule_text.h"

namespace vantrel {

// Reads a rule file's bytes, as `read` hands them out, through a buffer of
// `bufferSize` bytes that grows only for a record longer than itself.
// `sizeHint` is the file's size when known, 0 otherwise. parseFixText is
// this with a string; the result never depends on the buffer's size.
FixLoad readFixRules(const ByteReader& read, std::size_t bufferSize, std::size_t sizeHint);

}  // namespace vantrel

#endif  // VANTREL_FIXRULES_RULE_READER_H_
