#include "cli/files/rule_search.h"

#include <cerrno>
#include <cstring>

#include "fixrules/rule_messages.h"

namespace vantrel::cli {
namespace {

// The place is simply not there, so the search goes on.
bool isMissing(int error) { return error == ENOENT || error == ENOTDIR; }

}  // namespace

RuleSearch readFirstRuleFile(const std::vector<std::string>& places) {
  RuleSearch search;
  for (const std::string& place : places) {
    FixLoad load = loadFixTable(place);
    if (load.opened) {
      search.path = place;
      search.load = std::move(load);
      break;
    }
    search.failures.push_back(FailedPlace{place, load.openError});
    if (!isMissing(load.openError)) break;
  }
  return search;
}

std::string noRulesMessage(const std::string& programName, const RuleSearch& search) {
  std::string message = programName + ": " + kCannotOpenRulesText + "\n";
  for (const FailedPlace& place : search.failures) {
    message += "  " + place.path + ": " + std::strerror(place.error) + "\n";
  }
  return message;
}

}  // namespace vantrel::cli
