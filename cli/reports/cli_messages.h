#ifndef VANTREL_CLI_REPORTS_CLI_MESSAGES_H_
#define VANTREL_CLI_REPORTS_CLI_MESSAGES_H_

#include <cstdint>
#include <string>

#include "movie/walk_result.h"

// The texts only the command-line program shows. Those it shares with the
// Windows program come from the walk's and the rule loader's own tables.
namespace vantrel::cli {

// Why --references lists every reference as no-rule: it found no rule file.
inline constexpr char kNoRulesFoundText[] =
    "no rule file was found, so every reference is listed as no-rule";

// "1 movie", "2 movies": `count` and the word for one or for many.
std::string counted(std::uint64_t count, const char* one, const char* many);

// The report of a dry run over the movie named `displayName`.
std::string dryRunText(const std::string& displayName, std::uint64_t fixCount);

// The one-line report of a movie in a run over several: its path, then
// "3 problems found and fixed", "2 problems would be fixed" (a dry run) or
// "nothing to fix".
std::string movieReportLine(const std::string& moviePath, std::uint64_t fixCount, bool dryRun);

// Why a movie was left as it was: its backup `backupPath` could not be made,
// for `reason`.
std::string backupFailedText(const std::string& backupPath, const std::string& reason);

// Why a repair stopped short: its journal `journalPath` could not be
// written, for `reason`; the movie ended as `result` says (nothing written,
// or partly repaired).
std::string journalFailedText(const std::string& journalPath, const std::string& reason,
                              WalkResult result);

// Why a repair or an undo left a movie as it was: another run holds its
// journal.
std::string journalInUseText(const std::string& journalPath);

// What --undo tells of a movie: how many of its fixes were (or, in a dry
// run, would be) undone, as "a.qlm: 6 fixes undone"; and why not all were.
std::string undoneText(const std::string& moviePath, std::uint64_t undone, bool dryRun);
std::string noJournalText(const std::string& journalPath);
std::string unreadableJournalText(const std::string& journalPath, const std::string& reason);
std::string notAFixRecordText(std::uint64_t lineStart);
// What undo found changed since the repair at the value word at `offset`,
// which it left as it is: the value, the tag or number after it, or the
// movie's length; and a word it could not write back.
std::string valueChangedText(const std::string& offset, const std::string& held,
                             const std::string& fixedTo);
std::string referenceChangedText(const std::string& offset, const std::string& tag,
                                 const std::string& number);
std::string pastTheEndText(const std::string& offset);
std::string notWrittenBackText(const std::string& offset);
std::string notAllUndoneText(std::uint64_t undone, std::uint64_t left,
                             const std::string& journalPath);
std::string unremovableJournalText(const std::string& journalPath, const std::string& reason);
// Why the movie could not be opened, in the system's words or ours: "is a
// directory", "not a regular file".
std::string openFailureText(const OpenFailure& failure);

// The "Cannot open QELM file" message with `reason` after it, in parentheses.
std::string cannotOpenText(const std::string& reason);

// Why a movie is not valid: the walk's own text, and for a movie over the
// budget of element visits what that means and, when the walk stopped
// partway, how many fixes were made before it (written and saved, unless
// `dryRun`).
std::string notValidText(const WalkOutcome& outcome, bool dryRun);

// Why a path in a list of movies was not taken: longer than the system
// allows, in the system's words.
std::string pathTooLongText();

// Why a directory given as a movie was not repaired (there was no -r).
std::string isDirectoryText();

// Why the movies in a directory beneath a -r one, or in a list of movies
// (--files-from), were not reached: `reason`, in the system's words.
std::string unreadableDirectoryText(const std::string& reason);
std::string unreadableListText(const std::string& reason);

}  // namespace vantrel::cli

#endif  // VANTREL_CLI_REPORTS_CLI_MESSAGES_H_
