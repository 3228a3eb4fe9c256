#ifndef VANTREL_TESTS_SUPPORT_HOSTILE_MOVIES_H_
#define VANTREL_TESTS_SUPPORT_HOSTILE_MOVIES_H_

#include <cstdint>
#include <vector>

#include "tests/support/movie_builder.h"

// Movies laid out to make a walk without a budget of element visits take
// time that grows with the square of their size.
namespace vantrel::moviekit {

// One 'GGAE' chunk that the index lists `indexEntries` times; its group
// lists its one element (of kind 2, holding a reference 'BMAP' 7 of value 1)
// `groupEntries` times: indexEntries * groupEntries visits in about
// 8 * (indexEntries + groupEntries) bytes. 32,768 and 65,536 make 768 KB.
Bytes repeatedGroupMovie(std::uint32_t indexEntries, std::uint32_t groupEntries);

// `groups` distinct 'GGFR' chunks, each 12 bytes after the last, so that
// their headers overlap, all with the same location table of
// `tableEntries` entries: groups * tableEntries visits.
Bytes overlappingGroupsMovie(std::uint32_t groups, std::uint32_t tableEntries);

// A movie well within the budget until its one fix, in a 'TDT ' chunk whose
// reference's value word is the count of a 'GGFR' group, raises that count
// from 1 to `raisedCount`; the index then lists the group `groupVisits`
// times. raiseCountRule() gives the rule that fixes it.
Bytes countRaisedByAFixMovie(std::uint32_t raisedCount, std::uint32_t groupVisits);
Rule raiseCountRule(std::uint32_t raisedCount);

}  // namespace vantrel::moviekit

#endif  // VANTREL_TESTS_SUPPORT_HOSTILE_MOVIES_H_
