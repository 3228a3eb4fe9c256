#include "cli/cli_messages.h"

#include <cerrno>

#include "cli/system_error.h"
#include "movie/walk_messages.h"

namespace vantrel::cli {

std::string counted(std::uint64_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string dryRunText(const std::string& displayName, std::uint64_t fixCount) {
  return "Dry run: nothing was written\n\nFile: " + displayName +
         "\nNumber of problems that would be fixed: " + std::to_string(fixCount);
}

std::string movieReportLine(const std::string& moviePath, std::uint64_t fixCount, bool dryRun) {
  if (fixCount == 0) return moviePath + ": nothing to fix";
  return moviePath + ": " + counted(fixCount, "problem", "problems") +
         (dryRun ? " would be fixed" : " found and fixed");
}

std::string backupFailedText(const std::string& backupPath, const std::string& reason) {
  return "Cannot make the backup " + backupPath + ": " + reason + ". " +
         resultMessage(WalkResult::WriteRefused).text;
}

std::string openFailureText(const OpenFailure& failure) {
  switch (failure.problem) {
    case OpenProblem::IsDirectory:
      return "is a directory";
    case OpenProblem::NotRegularFile:
      return "not a regular file";
    case OpenProblem::SystemError:
      return systemErrorText(failure.systemError);
    case OpenProblem::None:
      break;
  }
  return "the reason is not known";
}

std::string cannotOpenText(const std::string& reason) {
  return std::string(resultMessage(WalkResult::CannotOpen).text) + " (" + reason + ")";
}

std::string notValidText(const WalkOutcome& outcome, bool dryRun) {
  std::string text = resultMessage(WalkResult::NotValid).text;
  if (outcome.overBudget == OverBudget::No) return text;
  text +=
      " (its chunk index points at more group elements than a file of its size can hold, as "
      "only a damaged or crafted movie does; ";
  if (outcome.overBudget == OverBudget::Refused) return text + "nothing was written)";
  return text + "the walk stopped where a count read on the way crossed that limit, after " +
         counted(outcome.fixCount, "fix", "fixes") +
         (dryRun ? ", none written)" : ", written and saved)");
}

std::string pathTooLongText() {
#ifdef _WIN32
  return systemErrorText(206);  // ERROR_FILENAME_EXCED_RANGE
#else
  return systemErrorText(ENAMETOOLONG);
#endif
}

std::string isDirectoryText() { return "is a directory; -r repairs the movies (*.qlm) beneath it"; }

std::string unreadableDirectoryText(const std::string& reason) {
  return "cannot read the directory: " + reason;
}

std::string unreadableListText(const std::string& reason) {
  return "cannot read the list of movies: " + reason;
}

}  // namespace vantrel::cli
