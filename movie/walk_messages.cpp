#include "movie/walk_messages.h"

namespace vantrel {
namespace {

// Indexed by WalkResult.
const ResultMessage kResultMessages[] = {
    {"Fix Complete\n\nFile: %s\nNumber of problems found and fixed: %d"},
    {"Cannot open QELM file. Make sure the file is not already open and is not read only."},
    {"Not a valid QELM file"},
    {"Cannot save all fixes to the QELM file. It may be only partly repaired."},
    {"Nothing was written to the QELM file."},
};

}  // namespace

const ResultMessage& resultMessage(WalkResult result) {
  return kResultMessages[static_cast<int>(result)];
}

std::string completionText(const std::string& displayName, std::uint64_t fixCount) {
  // Both places are found in the format before anything is put in, so a
  // name holding "%d" stays as it is.
  const std::string format = resultMessage(WalkResult::Done).text;
  const std::size_t nameAt = format.find("%s");
  const std::size_t countAt = format.find("%d");
  return format.substr(0, nameAt) + displayName + format.substr(nameAt + 2, countAt - nameAt - 2) +
         std::to_string(fixCount) + format.substr(countAt + 2);
}

}  // namespace vantrel
