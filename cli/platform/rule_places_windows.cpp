#include "cli/files/rule_places.h"

namespace vantrel::cli {

std::vector<std::string> systemRulePlaces(const EnvironmentLookup& variable) {
  return windowsRulePlaces(variable);
}

}  // namespace vantrel::cli
