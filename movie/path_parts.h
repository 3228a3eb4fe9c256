#ifndef VANTREL_MOVIE_PATH_PARTS_H_
#define VANTREL_MOVIE_PATH_PARTS_H_

#include <cstddef>
#include <string>
#include <string_view>

// The last part of a path, the name a movie is shown by, for both front
// ends. Each says which characters end a folder's name in its paths.
namespace vantrel {

// Where the last part of `path` starts: just past the last of `separators`
// in it, or 0 when it holds none. lastPartStart("C:\\films\\a.qlm", "\\")
// is 9; the folder part is what comes before.
std::size_t lastPartStart(std::string_view path, std::string_view separators);

// That part: "a.qlm"; empty for a path that ends in a separator.
std::string lastPartOf(std::string_view path, std::string_view separators);

}  // namespace vantrel

#endif  // VANTREL_MOVIE_PATH_PARTS_H_
