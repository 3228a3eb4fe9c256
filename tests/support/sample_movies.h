#ifndef VANTREL_TESTS_SUPPORT_SAMPLE_MOVIES_H_
#define VANTREL_TESTS_SUPPORT_SAMPLE_MOVIES_H_

#include <cstdint>
#include <vector>

#include "tests/support/movie_builder.h"

namespace vantrel::moviekit {

// The bundled demo: a small movie with every chunk kind, a few bad
// references among good ones, and the rules that repair them.
BuiltMovie demoMovie();
std::vector<Rule> demoRules();

// A good movie and its damaged copy that differ in one byte, which is both
// the value word of an 'ACTR' reference and the kind word of the 'GGFR'
// element before it: 1 in the good copy, whose walk reads the element's
// reference 'ELEM' 5 at E + 28, and 4 in the damaged one, whose walk reads
// a reference 'ELEM' 5 at E + 8 instead (E being the element's offset).
struct KindWordPair {
  Bytes good;
  Bytes damaged;
  std::uint64_t kindWordAt = 0;  // E + 4
};
KindWordPair kindWordIsAValueWordPair();

// A good movie and its damaged copy whose two 'ACTR' references lie one byte
// apart, the first the walk meets one byte after the second: damaged in the
// first two bytes of the second's value word, each pairs with its partner
// and needs a rule, but once the first is fixed the second reads neither its
// damaged nor its good value, so a repair leaves the byte at `firstByteAt`.
struct OverlapPair {
  Bytes good;
  Bytes damaged;
  std::uint64_t firstByteAt = 0;  // the second reference's value word
};
OverlapPair overlappingValueWordsPair();

}  // namespace vantrel::moviekit

#endif  // VANTREL_TESTS_SUPPORT_SAMPLE_MOVIES_H_
