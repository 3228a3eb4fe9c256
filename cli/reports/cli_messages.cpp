#include "cli/reports/cli_messages.h"

#include <cerrno>

#include "cli/platform/system_error.h"
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

std::string journalFailedText(const std::string& journalPath, const std::string& reason,
                              WalkResult result) {
  return "Cannot write the journal " + journalPath + ": " + reason + ". " +
         resultMessage(result).text;
}

std::string journalInUseText(const std::string& journalPath) {
  return "the journal " + journalPath + " is in use by another run";
}

std::string outOfMemoryText() { return "out of memory: the movie may be partly repaired"; }

std::string undoneText(const std::string& moviePath, std::uint64_t undone, bool dryRun) {
  return moviePath + ": " + counted(undone, "fix", "fixes") +
         (dryRun ? " would be undone" : " undone");
}

std::string notAFixRecordText(std::uint64_t lineStart) {
  return "the journal's line at byte " + std::to_string(lineStart) +
         " is not a fix record; it is passed over";
}

namespace {

std::string changedSince(const std::string& what) {
  return what + ": changed since, so it is left as it is";
}

}  // namespace

std::string valueChangedText(const std::string& offset, const std::string& held,
                             const std::string& fixedTo) {
  return changedSince("the word at " + offset + " holds " + held + ", not " + fixedTo +
                      " as the repair left it");
}

std::string referenceChangedText(const std::string& offset, const std::string& tag,
                                 const std::string& number) {
  return changedSince("the reference at " + offset + " is no longer '" + tag + "' " + number);
}

std::string pastTheEndText(const std::string& offset) {
  return changedSince("the word at " + offset + " lies past the end of the movie");
}

std::string notWrittenBackText(const std::string& offset) {
  return "?? the word at " + offset + " could not be written back";
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
  text += "the walk stopped where a count read on the way crossed that limit";
  if (outcome.fixCount == 0) return text + "; nothing was written)";
  return text + ", after " + counted(outcome.fixCount, "fix", "fixes") +
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
