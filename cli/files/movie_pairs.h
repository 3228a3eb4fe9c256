#ifndef VANTREL_CLI_FILES_MOVIE_PAIRS_H_
#define VANTREL_CLI_FILES_MOVIE_PAIRS_H_

#include <string>
#include <vector>

namespace vantrel::cli {

// What --derive-rules is handed to work through: pairs of a good movie and
// its damaged copy.
class MoviePairVisitor {
 public:
  virtual ~MoviePairVisitor() = default;
  virtual void pair(const std::string& good, const std::string& damaged) = 0;
  // A movie beneath one folder of a -r pair with none at `missing`, its
  // place beneath the other.
  virtual void unpaired(const std::string& path, const std::string& missing) = 0;
  // A directory given where a movie was expected.
  virtual void directoryGiven(const std::string& path) = 0;
  // A directory beneath a -r one that could not be read, and why.
  virtual void unreadable(const std::string& directory, const std::string& why) = 0;
};

// Hands `visitor` the pairs that `paths` (GOOD DAMAGED GOOD DAMAGED ...)
// give, in order. With `recursive`, two directories pair each movie beneath
// the good one with the movie at the same relative path beneath the other,
// in the sorted order of -r; a movie beneath only one is unpaired. Only the
// listings on the way down are held, never a whole tree: the movies of the
// damaged tree that the good one lacks are found by a second walk, after
// the pairs.
void visitMoviePairs(const std::vector<std::string>& paths, bool recursive,
                     MoviePairVisitor& visitor);

}  // namespace vantrel::cli

#endif  // VANTREL_CLI_FILES_MOVIE_PAIRS_H_
