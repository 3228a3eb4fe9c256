#include "cli/movie_sources.h"

#include <fstream>

#include "cli/directory_listing.h"
#include "cli/movie_tree.h"
#include "cli/system_error.h"

namespace vantrel::cli {
namespace {

void visitPath(const std::string& path, bool recursive, MovieVisitor& visitor) {
  if (pathKind(path) != PathKind::Directory) {
    visitor.movie(path);  // whatever else it is, opening it says what is wrong
  } else if (!recursive) {
    visitor.directoryGiven(path);
  } else {
    forEachMovieBeneath(
        path, [&visitor](const std::string& movie) { visitor.movie(movie); },
        [&visitor](const std::string& directory, const std::string& why) {
          visitor.unreadable(directory, why, false);
        });
  }
}

void visitList(const std::string& listPath, const CliOptions& options, std::istream& standardInput,
               MovieVisitor& visitor) {
  std::ifstream file;
  if (listPath != "-") {
    file.open(listPath, std::ios::binary);
    if (!file.is_open()) {
      visitor.unreadable(listPath, lastSystemErrorText(), true);
      return;
    }
  }
  std::istream& list = listPath == "-" ? standardInput : file;
  const char separator = options.nullSeparated ? '\0' : '\n';
  std::string path;
  while (readListedPath(list, separator, path)) visitPath(path, options.recursive, visitor);
  if (list.bad()) visitor.unreadable(listPath, "a read failed", true);
}

}  // namespace

bool readListedPath(std::istream& list, char separator, std::string& path) {
  while (std::getline(list, path, separator)) {
    if (separator == '\n' && !path.empty() && path.back() == '\r') path.pop_back();
    if (!path.empty()) return true;
  }
  return false;
}

bool mayReachSeveralMovies(const CliOptions& options) {
  return options.movies.size() != 1 || !options.filesFrom.empty() ||
         (options.recursive && pathKind(options.movies.front()) == PathKind::Directory);
}

void visitMovies(const CliOptions& options, std::istream& standardInput, MovieVisitor& visitor) {
  for (const std::string& path : options.movies) visitPath(path, options.recursive, visitor);
  for (const std::string& listPath : options.filesFrom) {
    visitList(listPath, options, standardInput, visitor);
  }
}

}  // namespace vantrel::cli
