#include "cli/reports/cli_messages.h"

#include "cli/platform/system_error.h"
#include "cli/reports/run_results.h"
#include "movie/walk_messages.h"

namespace vantrel::cli {

namespace {

std::string changedSince(const std::string& what) {
  return what + ": changed since, so it is left as it is";
}

// What a walk over its budget of element visits did, in parentheses after
// the NotValid text; empty for any other NotValid movie.
std::string overBudgetText(const WalkOutcome& outcome, bool dryRun) {
  if (outcome.overBudget == OverBudget::No) return "";
  std::string text =
      " (its chunk index points at more group elements than a file of its size can hold, as "
      "only a damaged or crafted movie does; ";
  if (outcome.overBudget == OverBudget::Refused) return text + "nothing was written)";
  text += "the walk stopped where a count read on the way crossed that limit";
  if (outcome.fixCount == 0) return text + "; nothing was written)";
  return text + ", after " + counted(outcome.fixCount, "fix", "fixes") +
         (dryRun ? ", none written)" : ", written and saved)");
}

}  // namespace

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
  return resultText(RunResult::BackupFailed,
                    {{"backup", backupPath},
                     {"reason", reason},
                     {"walk", resultMessage(WalkResult::WriteRefused).text}});
}

std::string journalFailedText(const std::string& journalPath, const std::string& reason,
                              WalkResult result) {
  return resultText(
      RunResult::JournalFailed,
      {{"journal", journalPath}, {"reason", reason}, {"walk", resultMessage(result).text}});
}

std::string journalInUseText(const std::string& journalPath) {
  return resultText(RunResult::JournalInUse, {{"journal", journalPath}});
}

std::string undoneText(const std::string& moviePath, std::uint64_t undone, bool dryRun) {
  return moviePath + ": " + counted(undone, "fix", "fixes") +
         (dryRun ? " would be undone" : " undone");
}

std::string noJournalText(const std::string& journalPath) {
  return resultText(RunResult::NoJournal, {{"journal", journalPath}});
}

std::string unreadableJournalText(const std::string& journalPath, const std::string& reason) {
  return resultText(RunResult::CannotReadJournal, {{"journal", journalPath}, {"reason", reason}});
}

std::string notAFixRecordText(std::uint64_t lineStart) {
  return "the journal's line at byte " + std::to_string(lineStart) +
         " is not a fix record; it is passed over";
}

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

std::string notAllUndoneText(std::uint64_t undone, std::uint64_t left,
                             const std::string& journalPath) {
  return resultText(RunResult::NotAllUndone, {{"undone", counted(undone, "fix", "fixes")},
                                              {"left", counted(left, "record", "records")},
                                              {"journal", journalPath}});
}

std::string unremovableJournalText(const std::string& journalPath, const std::string& reason) {
  return resultText(RunResult::JournalKept, {{"journal", journalPath}, {"reason", reason}});
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
  return resultText(RunResult::CannotOpen,
                    {{"walk", resultMessage(WalkResult::CannotOpen).text}, {"reason", reason}});
}

std::string notValidText(const WalkOutcome& outcome, bool dryRun) {
  return resultText(RunResult::NotValid, {{"walk", resultMessage(WalkResult::NotValid).text},
                                          {"budget", overBudgetText(outcome, dryRun)}});
}

std::string pathTooLongText() { return systemErrorText(pathTooLongError()); }

std::string isDirectoryText() { return "is a directory; -r repairs the movies (*.qlm) beneath it"; }

std::string unreadableDirectoryText(const std::string& reason) {
  return "cannot read the directory: " + reason;
}

std::string unreadableListText(const std::string& reason) {
  return "cannot read the list of movies: " + reason;
}

}  // namespace vantrel::cli
