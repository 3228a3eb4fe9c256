#ifndef VANTREL_RULEMAKING_REPAIR_CHECK_H_
#define VANTREL_RULEMAKING_REPAIR_CHECK_H_

#include <optional>

#include "fixrules/fix_table.h"
#include "movie/file_device.h"
#include "rulemaking/byte_comparison.h"

namespace vantrel {

// Repairs `damaged` with `rules` as a repair would, with the real walk, but
// keeps its fixes in memory, so that the walk reads its own fixes back as a
// repair does and the file is never written; then compares the result with
// `good` byte for byte. Empty when the rules make the damaged copy the good
// one; else where the result first differs (afterRules is set), at offset 0
// when the walk could not reach the end of the movie.
std::optional<ByteDifference> differenceAfterRepair(FileDevice& good, FileDevice& damaged,
                                                    const FixTable& rules);

}  // namespace vantrel

#endif  // VANTREL_RULEMAKING_REPAIR_CHECK_H_
