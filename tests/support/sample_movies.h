#ifndef VANTREL_TESTS_SUPPORT_SAMPLE_MOVIES_H_
#define VANTREL_TESTS_SUPPORT_SAMPLE_MOVIES_H_

#include <vector>

#include "tests/support/movie_builder.h"

namespace vantrel::moviekit {

// The bundled demo: a small movie with every chunk kind, a few bad
// references among good ones, and the rules that repair them.
BuiltMovie demoMovie();
std::vector<Rule> demoRules();

}  // namespace vantrel::moviekit

#endif  // VANTREL_TESTS_SUPPORT_SAMPLE_MOVIES_H_
