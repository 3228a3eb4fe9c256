#include "cli/files/wildcards.h"

#include <algorithm>
#include <cctype>

#include "cli/platform/directory_listing.h"
#include "movie/path_parts.h"

namespace vantrel::cli {
namespace {

bool isContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

bool sameLetter(char a, char b) {
  return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
}

// Where the folder part of `argument` ends: after its last separator, or
// after the colon of a drive ("C:a*.qlm").
std::size_t nameStart(const std::string& argument) {
  return lastPartStart(argument, std::string(kPathSeparators) + ':');
}

bool hasWildcard(const std::string& text) { return text.find_first_of("*?") != std::string::npos; }

// The paths that `argument` stands for, sorted; empty when none.
std::vector<std::string> matchesOf(const std::string& argument) {
  const std::string folder = argument.substr(0, nameStart(argument));
  const std::string pattern = argument.substr(folder.size());
  std::vector<DirectoryEntry> entries;
  if (hasWildcard(folder) || listDirectory(folder.empty() ? "." : folder, entries)) return {};
  std::vector<std::string> paths;
  for (const DirectoryEntry& entry : entries) {
    // Checked again here: Windows also matches a pattern against the short
    // 8.3 names, so that "*.qlm" would find "a.qlmx" by its "A~1.QLM".
    if (wildcardMatches(pattern, entry.name)) paths.push_back(folder + entry.name);
  }
  std::sort(paths.begin(), paths.end());
  return paths;
}

}  // namespace

bool wildcardMatches(const std::string& pattern, const std::string& name) {
  std::size_t p = 0, n = 0;
  // Where the last '*' was seen, and the name's place it was tried from.
  std::size_t starAt = std::string::npos, retryFrom = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starAt = p++;
      retryFrom = n;
    } else if (p < pattern.size() && (pattern[p] == '?' || sameLetter(pattern[p], name[n]))) {
      const bool anyOne = pattern[p] == '?';
      ++p;
      ++n;
      while (anyOne && n < name.size() && isContinuationByte(name[n])) ++n;
    } else if (starAt != std::string::npos) {
      // Let the last '*' take one more character, and try again after it.
      p = starAt + 1;
      n = ++retryFrom;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

std::vector<std::string> expandWildcards(const std::vector<std::string>& arguments) {
  std::vector<std::string> expanded;
  for (const std::string& argument : arguments) {
    const std::vector<std::string> paths = hasWildcard(argument.substr(nameStart(argument)))
                                               ? matchesOf(argument)
                                               : std::vector<std::string>();
    if (paths.empty()) {
      expanded.push_back(argument);
    } else {
      expanded.insert(expanded.end(), paths.begin(), paths.end());
    }
  }
  return expanded;
}

}  // namespace vantrel::cli
