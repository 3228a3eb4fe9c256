#ifndef VANTREL_CLI_MOVIE_SOURCES_H_
#define VANTREL_CLI_MOVIE_SOURCES_H_

#include <istream>
#include <string>

#include "cli/cli_options.h"

namespace vantrel::cli {

// What a run is handed to work through, one path at a time.
class MovieVisitor {
 public:
  virtual ~MovieVisitor() = default;
  // A path to repair as a movie.
  virtual void movie(const std::string& path) = 0;
  // A directory given as a movie without --recursive.
  virtual void directoryGiven(const std::string& path) = 0;
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

// Reads the next path of a list into `path`: up to `separator` or the end
// of the list. Empty entries are passed over, and with line ends ('\n') a
// carriage return before one is dropped, so that lists written on Windows
// read the same. False at the end of the list.
bool readListedPath(std::istream& list, char separator, std::string& path);

}  // namespace vantrel::cli

#endif  // VANTREL_CLI_MOVIE_SOURCES_H_
