#include "cli/files/rule_search.h"

#include <cerrno>
#include <cstring>
#include <new>

#include "cli/files/rule_places.h"
#include "cli/reports/cli_messages.h"
#include "fixrules/rule_messages.h"
#include "fixrules/rule_reader.h"
#include "movie/file_device.h"

namespace vantrel::cli {
namespace {

constexpr std::size_t kReadSize = std::size_t{64} * 1024;

// A place searched: the rules when it holds a regular file that can be
// read, else why not, and whether the search goes on past it.
struct PlaceRead {
  FixLoad load;
  std::string reason;
  bool passOver = false;
};

PlaceRead readSearchedPlace(const std::string& path) {
  PlaceRead place;
  OpenFailure failure;
  const std::unique_ptr<FileDevice> device = openFileDevice(path, OpenMode::ReadOnly, &failure);
  if (!device) {
    place.reason = openFailureText(failure);
    place.passOver =
        failure.problem != OpenProblem::SystemError || isMissingPlace(failure.systemError);
    return place;
  }
  std::uint64_t offset = 0;
  bool cutShort = false;
  const ByteReader read = [&](char* out, std::size_t room) {
    const std::size_t got = device->readAt(offset, reinterpret_cast<unsigned char*>(out), room);
    if (got == 0 && offset < device->size()) cutShort = true;
    offset += got;
    return got;
  };
  try {
    place.load = readFixRules(read, kReadSize, static_cast<std::size_t>(device->size()));
  } catch (const std::bad_alloc&) {
    place.load = FixLoad();  // a file of more rules than memory holds cannot be used
    place.reason = std::strerror(ENOMEM);
    return place;
  }
  if (cutShort) {
    place.load = FixLoad();
    place.reason = std::strerror(EIO);
  }
  return place;
}

}  // namespace

RuleSearch readNamedRuleFile(const std::string& path) {
  RuleSearch search;
  search.named = true;
  FixLoad load = loadFixTable(path);
  if (load.opened) {
    search.path = path;
    search.load = std::move(load);
  } else {
    search.failures.push_back(FailedPlace{path, std::strerror(load.openError)});
  }
  return search;
}

RuleSearch searchRuleFiles(const std::vector<std::string>& places) {
  RuleSearch search;
  for (const std::string& path : places) {
    PlaceRead place = readSearchedPlace(path);
    if (place.load.opened) {
      search.path = path;
      search.load = std::move(place.load);
      break;
    }
    search.failures.push_back(FailedPlace{path, place.reason});
    if (!place.passOver) break;
  }
  return search;
}

std::string noRulesMessage(const std::string& programName, const RuleSearch& search) {
  std::string message = programName + ": " + kCannotOpenRulesText + "\n";
  for (const FailedPlace& place : search.failures) {
    message += "  " + place.path + ": " + place.reason + "\n";
  }
  return message;
}

}  // namespace vantrel::cli
