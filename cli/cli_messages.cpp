#include "cli/cli_messages.h"

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

std::string isDirectoryText() { return "is a directory; -r repairs the movies (*.qlm) beneath it"; }

std::string unreadableDirectoryText(const std::string& reason) {
  return "cannot read the directory: " + reason;
}

std::string unreadableListText(const std::string& reason) {
  return "cannot read the list of movies: " + reason;
}

}  // namespace vantrel::cli
