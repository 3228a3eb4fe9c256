#ifndef VANTREL_RULEMAKING_MOVIE_LABEL_H_
#define VANTREL_RULEMAKING_MOVIE_LABEL_H_

#include <memory>
#include <string>

namespace vantrel {

// The caller's name for a movie. The rule makers only hand it back, and
// keep it only while a finding still refers to that movie.
using MovieLabel = std::shared_ptr<const std::string>;

}  // namespace vantrel

#endif  // VANTREL_RULEMAKING_MOVIE_LABEL_H_
