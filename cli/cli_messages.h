#ifndef VANTREL_CLI_CLI_MESSAGES_H_
#define VANTREL_CLI_CLI_MESSAGES_H_

#include <cstdint>
#include <string>

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

// Why a movie was left as it was: its backup `backupPath` could not be made,
// for `reason`.
std::string backupFailedText(const std::string& backupPath, const std::string& reason);

// Why a directory given as a movie was not repaired (there was no -r).
std::string isDirectoryText();

// Why the movies in a directory beneath a -r one, or in a list of movies
// (--files-from), were not reached: `reason`, in the system's words.
std::string unreadableDirectoryText(const std::string& reason);
std::string unreadableListText(const std::string& reason);

}  // namespace vantrel::cli

#endif  // VANTREL_CLI_CLI_MESSAGES_H_
