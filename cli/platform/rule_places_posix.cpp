#include <cerrno>

#include "cli/files/rule_places.h"

namespace vantrel::cli {

std::vector<std::string> systemRulePlaces(const EnvironmentLookup& variable) {
  return xdgRulePlaces(variable);
}

bool isMissingPlace(long systemError) { return systemError == ENOENT || systemError == ENOTDIR; }

}  // namespace vantrel::cli
