#ifndef VANTREL_JOURNAL_GROUP_COMMIT_H_
#define VANTREL_JOURNAL_GROUP_COMMIT_H_

#include <cstddef>
#include <memory>
#include <vector>

#include "fixrules/fix_table.h"
#include "movie/file_device.h"
#include "movie/movie_walk.h"
#include "movie/progress_sink.h"
#include "movie/walk_result.h"

namespace vantrel {

// What must be done before a batch of fixes may be written to the movie:
// their journal records put on stable storage, a backup made first.
class BatchSeam {
 public:
  virtual ~BatchSeam() = default;
  // `fixes` in the order the walk made them, none of them written yet:
  // true once they may be. False stops the repair; none of them is written.
  virtual bool beforeBatch(const std::vector<FixedReference>& fixes) = 0;
};

// How many fixes a batch holds at most: a dense repair syncs a few times,
// and what the batch keeps in memory stays a few megabytes.
inline constexpr std::size_t kFixesPerBatch = 65536;

// The repair of the movie open as `movie`, as patchMovie() makes it, with
// its fixes written in batches: the walk keeps each fix pending in memory,
// where its stream reads it back as written (so it sees what a plain repair
// sees); when `fixesPerBatch` are pending, and at the end, `seam` is told
// of them, and then each is written with writeWordWhereHeld(), where the
// word still holds the old value under the fix's tag and number (a word
// that another program changed meanwhile is left as it is, and not
// counted). `sink` hears of a fix only once it is written. When the seam
// refuses a batch, the repair stops: WriteRefused when no fix was written
// yet, else WriteFailed with the fixes written before.
WalkOutcome patchInBatches(std::unique_ptr<FileDevice> movie, const FixTable& rules,
                           ProgressSink& sink, BatchSeam& seam, WalkOptions options = {},
                           std::size_t fixesPerBatch = kFixesPerBatch);

}  // namespace vantrel

#endif  // VANTREL_JOURNAL_GROUP_COMMIT_H_
