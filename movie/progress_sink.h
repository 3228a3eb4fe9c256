#ifndef VANTREL_MOVIE_PROGRESS_SINK_H_
#define VANTREL_MOVIE_PROGRESS_SINK_H_

#include <cstdint>

namespace vantrel {

// One reference that the walk fixed, or in a dry run would fix.
struct FixedReference {
  std::uint64_t valueOffset;  // absolute offset of the value word
  char tag[4];                // the reference's tag bytes, in file order
  std::uint32_t number;
  std::uint32_t oldValue;
  std::uint32_t newValue;
};

// What a walk tells its caller while it runs, all on the walk's own thread.
//
// begin(total) comes once, after the chunk index has been read and before
// the first chunk is visited; `total` is the number of chunks in the index.
// step() then comes exactly `total` times, once after each chunk, whatever
// its kind and whether or not it could be read; so a progress bar that runs
// from 0 to `total` ends full. A file that cannot be opened or is not a movie
// gets neither call. The one exception: when the caller refuses the first
// write (WalkOptions::beforeFirstWrite), the walk ends there, with no step()
// for the chunk it was in nor for any later one.
//
// referenceFixed() comes for each fix once its word has been written to the
// file (in a dry run, once it is found), and only then is the fix counted.
// writeFailed() comes at once for each fix whose word the file did not
// take; that fix is not counted, and the walk goes on.
class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  virtual void begin(std::uint32_t total) = 0;
  virtual void step() = 0;
  virtual void referenceFixed(const FixedReference& fix) { (void)fix; }
  virtual void writeFailed(std::uint64_t valueOffset) { (void)valueOffset; }
};

}  // namespace vantrel

#endif  // VANTREL_MOVIE_PROGRESS_SINK_H_
