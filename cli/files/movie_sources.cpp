#include "cli/files/movie_sources.h"

#include <fstream>
#include <limits>

#include "cli/files/file_names.h"
#include "cli/files/movie_tree.h"
#include "cli/platform/directory_listing.h"
#include "cli/platform/system_error.h"

namespace vantrel::cli {
namespace {

ListedPath tooLong(std::string& path) {
  path.resize(kShortenedPathBytes);
  return ListedPath::TooLong;
}

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
  for (ListedPath got; (got = readListedPath(list, separator, path)) != ListedPath::End;) {
    if (got == ListedPath::TooLong) {
      visitor.pathTooLong(path);
    } else {
      visitPath(path, options.recursive, visitor);
    }
  }
  if (list.bad()) visitor.unreadable(listPath, "a read failed", true);
}

}  // namespace

ListedPath readListedPath(std::istream& list, char separator, std::string& path) {
  for (;;) {
    // Room for the longest path, a carriage return, and the NUL getline adds.
    path.assign(kMaxPathBytes + 2, '\0');
    list.getline(&path[0], static_cast<std::streamsize>(path.size()), separator);
    const auto got = static_cast<std::size_t>(list.gcount());
    if (list.fail() && got == 0) return ListedPath::End;
    if (list.fail()) {  // the buffer filled before the separator came
      list.clear();
      list.ignore(std::numeric_limits<std::streamsize>::max(), separator);
      return tooLong(path);
    }
    path.resize(list.eof() ? got : got - 1);  // without the separator
    if (separator == '\n' && !path.empty() && path.back() == '\r') path.pop_back();
    if (pathLength(path) > kMaxListedPath) return tooLong(path);
    if (!path.empty()) return ListedPath::Path;
  }
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
