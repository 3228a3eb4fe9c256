#include "cli/platform/system_paths.h"

namespace vantrel::cli {

const char kPathSeparators[] = "\\/";
const char kPathSeparator = '\\';
const bool kProgramExpandsWildcards = true;
const std::size_t kMaxListedPath = 32767;
const std::size_t kMaxPathBytes = 3 * kMaxListedPath;

std::size_t pathLength(const std::string& path) {
  std::size_t length = 0;
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte & 0xC0) != 0x80) length += byte >= 0xF0 ? 2 : 1;  // a surrogate pair, or one
  }
  return length;
}

}  // namespace vantrel::cli
