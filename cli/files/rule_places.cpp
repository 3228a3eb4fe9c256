#include "cli/files/rule_places.h"

#include <algorithm>
#include <cstdlib>

#include "fixrules/rule_messages.h"

namespace vantrel::cli {
namespace {

// The XDG rules: relative paths in these variables are to be ignored.
bool isAbsolute(const std::string& path) { return !path.empty() && path.front() == '/'; }

std::vector<std::string> xdgConfigDirs(const EnvironmentLookup& variable) {
  std::vector<std::string> dirs;
  const std::string list = variable("XDG_CONFIG_DIRS");
  std::size_t start = 0;
  while (start <= list.size()) {
    const std::size_t end = std::min(list.find(':', start), list.size());
    const std::string dir = list.substr(start, end - start);
    if (isAbsolute(dir)) dirs.push_back(dir);
    start = end + 1;
  }
  if (dirs.empty()) dirs.push_back("/etc/xdg");
  return dirs;
}

}  // namespace

std::string processEnvironmentVariable(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

std::vector<std::string> xdgRulePlaces(const EnvironmentLookup& variable) {
  const std::string inFolder = std::string("/vantrel/") + kRuleFileName;
  std::vector<std::string> places;
  std::string configHome = variable("XDG_CONFIG_HOME");
  if (!isAbsolute(configHome)) {
    const std::string home = variable("HOME");
    configHome = home.empty() ? std::string() : home + "/.config";
  }
  if (!configHome.empty()) places.push_back(configHome + inFolder);
  for (const std::string& dir : xdgConfigDirs(variable)) places.push_back(dir + inFolder);
  places.push_back("/etc" + inFolder);
  return places;
}

std::vector<std::string> windowsRulePlaces(const EnvironmentLookup& variable) {
  std::vector<std::string> places;
  for (const char* name : {"APPDATA", "PROGRAMDATA"}) {
    const std::string folder = variable(name);
    if (!folder.empty()) places.push_back(folder + "\\Vantrel\\" + kRuleFileName);
  }
  return places;
}

std::vector<std::string> rulePlaces(const std::string& programDirectory,
                                    const EnvironmentLookup& variable) {
  const std::string named = variable(kRulesVariable);
  if (!named.empty()) return {named};
  std::vector<std::string> places;
  if (!programDirectory.empty()) places.push_back(programDirectory + kRuleFileName);
  for (std::string& place : systemRulePlaces(variable)) places.push_back(std::move(place));
  return places;
}

}  // namespace vantrel::cli
