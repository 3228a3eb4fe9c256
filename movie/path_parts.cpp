#include "movie/path_parts.h"

namespace vantrel {

std::size_t lastPartStart(std::string_view path, std::string_view separators) {
  const std::size_t cut = path.find_last_of(separators);
  return cut == std::string_view::npos ? 0 : cut + 1;
}

std::string lastPartOf(std::string_view path, std::string_view separators) {
  return std::string(path.substr(lastPartStart(path, separators)));
}

}  // namespace vantrel
