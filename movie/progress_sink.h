#ifndef VANTREL_MOVIE_PROGRESS_SINK_H_
#define VANTREL_MOVIE_PROGRESS_SINK_H_

#include <cstdint>
#include <optional>

#include "fixrules/fix_rule.h"
#include "movie/container_layout.h"

namespace vantrel {

// One reference that the walk fixed, or in a dry run would fix.
struct FixedReference {
  std::uint64_t valueOffset;  // absolute offset of the value word
  char tag[4];                // the reference's tag bytes, in file order
  std::uint32_t number;
  std::uint32_t oldValue;
  std::uint32_t newValue;
  long long line;  // the line of fix.dat that holds the rule
};

// What the first rule for a reference's tag and number makes of it.
enum class ReferenceOutcome {
  Fix,           // the rule's old value is the one held: it is fixed
  AlreadyFixed,  // the value held is the rule's new value
  OtherValue,    // the rule has neither value, so it leaves the reference alone
  NoRule,        // no rule names this tag and number
};

inline ReferenceOutcome referenceOutcome(std::uint32_t value, const FixRule* rule) {
  if (rule == nullptr) return ReferenceOutcome::NoRule;
  if (value == rule->oldValue) return ReferenceOutcome::Fix;
  if (value == rule->newValue) return ReferenceOutcome::AlreadyFixed;
  return ReferenceOutcome::OtherValue;
}

// One reference whose tag, number and value the walk read, and where it lies.
struct ReadReference {
  std::uint64_t valueOffset;             // absolute offset of the value word
  std::uint32_t chunk;                   // the chunk's place in the index's location table
  ChunkTag chunkTag;                     // the tag of the chunk that holds it
  std::optional<std::uint32_t> element;  // its element's place, in a group chunk
  char tag[4];                           // the reference's tag bytes, in file order
  std::uint32_t number;
  std::uint32_t value;  // as read, before any fix
  const FixRule* rule;  // the first rule for the tag and number; null when none
};

// What a walk tells its caller while it runs, all on the walk's own thread.
//
// begin(total) comes once, after the chunk index has been read and before
// the first chunk is visited; `total` is the number of chunks in the index.
// step() then comes exactly `total` times, once after each chunk, whatever
// its kind and whether or not it could be read; so a progress bar that runs
// from 0 to `total` ends full. A file that cannot be opened or is not a movie
// (its group chunks over the budget of element visits included) gets neither
// call. The exceptions: when the caller refuses a fix's write
// (WalkOptions::beforeFixWritten), or when a count read during the walk
// takes it past that budget, the walk ends there, with no step() for the
// chunk it was in nor for any later one.
//
// referenceFixed() comes for each fix once its word has been written to the
// file (in a dry run, once it is found), and only then is the fix counted.
// writeFailed() comes at once for each fix whose word the file did not
// take; that fix is not counted, and the walk goes on.
//
// referenceRead() comes for every reference whose tag, number and value
// were read, in the order the walk meets them, before its fix (if any) is
// written; the rule it points to lives only for the call. It is asked for
// with WalkOptions::reportReferences, since most callers want none of it.
class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  virtual void begin(std::uint32_t total) = 0;
  virtual void step() = 0;
  virtual void referenceFixed(const FixedReference& fix) { (void)fix; }
  virtual void writeFailed(std::uint64_t valueOffset) { (void)valueOffset; }
  virtual void referenceRead(const ReadReference& reference) { (void)reference; }
};

}  // namespace vantrel

#endif  // VANTREL_MOVIE_PROGRESS_SINK_H_
