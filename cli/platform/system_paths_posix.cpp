#include <climits>

#include "cli/platform/system_paths.h"

namespace vantrel::cli {

const char kPathSeparators[] = "/";
const char kPathSeparator = '/';
const bool kProgramExpandsWildcards = false;
const std::size_t kMaxListedPath = PATH_MAX - 1;
const std::size_t kMaxPathBytes = kMaxListedPath;

std::size_t pathLength(const std::string& path) { return path.size(); }

}  // namespace vantrel::cli
