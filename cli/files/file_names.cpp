#include "cli/files/file_names.h"

#include <cstdio>

#include "cli/platform/system_paths.h"
#include "movie/path_parts.h"

namespace vantrel::cli {
std::optional<std::string> suffixProblem(const std::string& option, const std::string& suffix) {
  if (suffix.empty()) return "option '" + option + "=' needs a suffix";
  const std::size_t at = suffix.find_first_of("/\\:");
  if (at == std::string::npos) return std::nullopt;
  return "option '" + option + "': the suffix '" + printablePath(suffix) + "' holds '" +
         suffix[at] +
         "'; a suffix may hold none of '/', '\\' and ':', since the name it makes must lie "
         "beside the movie, and on Windows these lead into another folder or into a stream of "
         "the movie itself";
}

std::string printablePath(const std::string& path) {
  std::string text;
  text.reserve(path.size());
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7f) {
      text += c;
    } else if (c == '\n') {
      text += "\\n";
    } else if (c == '\r') {
      text += "\\r";
    } else if (c == '\t') {
      text += "\\t";
    } else {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
      text += escaped;
    }
  }
  return text;
}

std::string shortenedPath(const std::string& start) {
  return start.substr(0, kShortenedPathBytes) + "...";
}

std::string temporaryNameBeside(const std::string& target, unsigned long seed, unsigned attempt) {
  const std::size_t nameAt = lastPartStart(target, kPathSeparators);
  std::string name = target.substr(nameAt);
  if (name.size() < 2) name += '_';  // room for the dot and one more character
  // A dot, then the name's own characters, then as many letters and digits
  // from `seed` and `attempt` as fit in the last eight places.
  static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  unsigned long long spell = (static_cast<unsigned long long>(seed) << 8) ^ attempt ^
                             (static_cast<unsigned long long>(attempt) * 0x9E3779B97F4A7C15ull);
  const std::size_t random = name.size() - 1 < 8 ? name.size() - 1 : 8;
  name[0] = '.';
  for (std::size_t i = name.size() - random; i < name.size(); ++i) {
    name[i] = kDigits[spell % 36];
    spell /= 36;
  }
  return target.substr(0, nameAt) + name;
}

}  // namespace vantrel::cli
