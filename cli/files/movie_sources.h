#ifndef VANTREL_CLI_FILES_MOVIE_SOURCES_H_
#define VANTREL_CLI_FILES_MOVIE_SOURCES_H_

#include <cstddef>
#include <istream>
#include <string>

#include "cli/options/cli_options.h"
#include "cli/platform/system_paths.h"

namespace vantrel::cli {

// What a run is handed to work through, one path at a time.
class MovieVisitor {
 public:
  virtual ~MovieVisitor() = default;
  // A path to repair as a movie.
  virtual void movie(const std::string& path) = 0;
  // A directory given as a movie without --recursive.
  virtual void directoryGiven(const std::string& path) = 0;
  // A path in a list longer than the system allows; `start` holds (at
  // least) its first bytes.
  virtual void pathTooLong(const std::string& start) = 0;
  // A list of movies (--files-from) or a directory beneath a --recursive
  // one that could not be read, and why; the movies in it are not reached.
  virtual void unreadable(const std::string& path, const std::string& why, bool isList) = 0;
};

// Hands `visitor` the run's movies in order: the movie arguments, then the
// paths in each --files-from list, read as they go ("-" is `standardInput`).
// With --recursive, a directory stands for the movies beneath it.
void visitMovies(const CliOptions& options, std::istream& standardInput, MovieVisitor& visitor);

// Whether the run may reach more than one movie: anything but a single movie
// argument that --recursive does not stand for a tree, with no list.
bool mayReachSeveralMovies(const CliOptions& options);

enum class ListedPath {
  Path,     // `path` holds the next path
  TooLong,  // longer than the system allows: `path` holds its first bytes only
  End,      // the list is over
};

// Reads the next path of a list into `path`: up to `separator` or the end
// of the list. Empty entries are passed over, and with line ends ('\n') a
// carriage return before one is dropped, so that lists written on Windows
// read the same. A path longer than kMaxListedPath (system_paths.h) is
// never held whole: the rest of it is skipped up to its separator, so
// memory stays bounded whatever the list holds, and the list goes on after
// it.
ListedPath readListedPath(std::istream& list, char separator, std::string& path);

}  // namespace vantrel::cli

#endif  // VANTREL_CLI_FILES_MOVIE_SOURCES_H_
