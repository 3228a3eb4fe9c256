#include "app/app_messages.h"

#include "fixrules/rule_messages.h"
#include "movie/walk_messages.h"

namespace vantrel::app {
namespace {

constexpr char kErrorCaption[] = "Error";
constexpr char kWarningCaption[] = "Warning";
constexpr char kProgressTitlePrefix[] = "Vantrel - ";
constexpr char kNoWindowText[] = "Cannot show the progress window";

BoxIcon iconFor(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Information:
      return BoxIcon::Information;
    case MessageIcon::Error:
      return BoxIcon::Error;
  }
  return BoxIcon::Error;
}

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
  const ResultMessage& message = resultMessage(result);
  const std::string text =
      result == WalkResult::Done ? completionText(displayName, fixCount) : message.text;
  return MessageBoxContent{text, message.caption, iconFor(message.icon)};
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
