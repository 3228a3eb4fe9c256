#include "app/app_messages.h"

#include "fixrules/rule_messages.h"
#include "movie/walk_messages.h"

namespace vantrel::app {
namespace {

constexpr char kErrorCaption[] = "Error";
constexpr char kWarningCaption[] = "Warning";
constexpr char kProgressTitlePrefix[] = "Vantrel - ";
constexpr char kNoWindowText[] = "Cannot show the progress window";

// The box that tells each walk result, indexed by WalkResult; its text is
// the walk's own (resultMessage()), which vantrel shows too. Whatever the
// result, the program then ends with kExitDone: the user has been told.
struct WalkResultRow {
  WalkResult result;
  const char* caption;
  BoxIcon icon;
};
const WalkResultRow kWalkResultRows[] = {
    {WalkResult::Done, "Vantrel", BoxIcon::Information},
    {WalkResult::CannotOpen, kErrorCaption, BoxIcon::Error},
    {WalkResult::NotValid, kErrorCaption, BoxIcon::Error},
    {WalkResult::WriteFailed, kErrorCaption, BoxIcon::Error},
    {WalkResult::WriteRefused, kErrorCaption, BoxIcon::Error},  // no safeguard here refuses one
};

}  // namespace

std::string movieFilter() {
  std::string filter = kMovieFilterLabel;
  filter += '\0';
  filter += kMovieFilterPattern;
  filter += '\0';
  filter += '\0';
  return filter;
}

std::string progressTitle(const std::string& displayName) {
  return kProgressTitlePrefix + displayName;
}

MessageBoxContent walkResultBox(WalkResult result, const std::string& displayName,
                                std::uint64_t fixCount) {
  const WalkResultRow& row = kWalkResultRows[static_cast<int>(result)];
  const std::string text = result == WalkResult::Done ? completionText(displayName, fixCount)
                                                      : resultMessage(result).text;
  return MessageBoxContent{text, row.caption, row.icon};
}

MessageBoxContent noRulesBox() {
  return MessageBoxContent{kCannotOpenRulesText, kErrorCaption, BoxIcon::Error};
}

MessageBoxContent badRuleBox(long long line) {
  return MessageBoxContent{badRuleText(line), kWarningCaption, BoxIcon::Warning};
}

MessageBoxContent noWindowBox() {
  return MessageBoxContent{kNoWindowText, kErrorCaption, BoxIcon::Error};
}

MessageBoxContent writeFailedBox() {
  return MessageBoxContent{kWriteFailedText, kWriteFailedText, BoxIcon::None};
}

}  // namespace vantrel::app
