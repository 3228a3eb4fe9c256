#include "cli/options/program_name.h"

#include <cctype>

#include "movie/path_parts.h"

namespace vantrel::cli {
namespace {

bool endsWithExe(const std::string& name) {
  const std::string suffix = ".exe";
  if (name.size() <= suffix.size()) return false;
  for (std::size_t i = 0; i < suffix.size(); ++i) {
    const char c = name[name.size() - suffix.size() + i];
    if (std::tolower(static_cast<unsigned char>(c)) != suffix[i]) return false;
  }
  return true;
}

}  // namespace

std::string programNameFrom(const char* argv0) {
  std::string name = argv0 == nullptr ? std::string() : std::string(argv0);
  // Windows takes either slash; a backslash in a POSIX program's own file
  // name is too rare to keep.
  name.erase(0, lastPartStart(name, "/\\"));
  if (endsWithExe(name)) name.resize(name.size() - 4);
  return name.empty() ? std::string("vantrel") : name;
}

}  // namespace vantrel::cli
