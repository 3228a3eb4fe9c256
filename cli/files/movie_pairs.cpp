#include "cli/files/movie_pairs.h"

#include "cli/platform/directory_listing.h"
#include "cli/files/movie_tree.h"

namespace vantrel::cli {
namespace {

// Calls `found` with each movie beneath `root` and its path relative to it.
void forEachMovieWithRelativePath(
    const std::string& root, MoviePairVisitor& visitor,
    const std::function<void(const std::string& path, const std::string& relative)>& found) {
  const std::size_t prefix = pathInDirectory(root, "").size();
  forEachMovieBeneath(
      root, [&](const std::string& path) { found(path, path.substr(prefix)); },
      [&visitor](const std::string& directory, const std::string& why) {
        visitor.unreadable(directory, why);
      });
}

void visitTrees(const std::string& goodRoot, const std::string& damagedRoot,
                MoviePairVisitor& visitor) {
  forEachMovieWithRelativePath(goodRoot, visitor,
                               [&](const std::string& good, const std::string& relative) {
                                 const std::string damaged = pathInDirectory(damagedRoot, relative);
                                 if (pathKind(damaged) == PathKind::File) {
                                   visitor.pair(good, damaged);
                                 } else {
                                   visitor.unpaired(good, damaged);
                                 }
                               });
  forEachMovieWithRelativePath(damagedRoot, visitor,
                               [&](const std::string& damaged, const std::string& relative) {
                                 const std::string good = pathInDirectory(goodRoot, relative);
                                 if (pathKind(good) != PathKind::File)
                                   visitor.unpaired(damaged, good);
                               });
}

}  // namespace

void visitMoviePairs(const std::vector<std::string>& paths, bool recursive,
                     MoviePairVisitor& visitor) {
  for (std::size_t i = 0; i + 1 < paths.size(); i += 2) {
    const std::string& good = paths[i];
    const std::string& damaged = paths[i + 1];
    const bool goodIsDirectory = pathKind(good) == PathKind::Directory;
    const bool damagedIsDirectory = pathKind(damaged) == PathKind::Directory;
    if (recursive && goodIsDirectory && damagedIsDirectory) {
      visitTrees(good, damaged, visitor);
    } else if (goodIsDirectory || damagedIsDirectory) {
      if (goodIsDirectory) visitor.directoryGiven(good);
      if (damagedIsDirectory) visitor.directoryGiven(damaged);
    } else {
      visitor.pair(good, damaged);  // whatever else they are, opening them says what is wrong
    }
  }
}

}  // namespace vantrel::cli
