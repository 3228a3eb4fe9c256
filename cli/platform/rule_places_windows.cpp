#include <windows.h>

#include "cli/files/rule_places.h"

namespace vantrel::cli {

std::vector<std::string> systemRulePlaces(const EnvironmentLookup& variable) {
  return windowsRulePlaces(variable);
}

bool isMissingPlace(long systemError) {
  return systemError == ERROR_FILE_NOT_FOUND || systemError == ERROR_PATH_NOT_FOUND;
}

}  // namespace vantrel::cli
