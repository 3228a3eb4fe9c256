#ifndef VANTREL_CLI_FILES_FILE_NAMES_H_
#define VANTREL_CLI_FILES_FILE_NAMES_H_

#include <optional>
#include <string>

// Names the program makes beside a movie, and paths as text reports show them.
namespace vantrel::cli {

// Why `suffix`, given with `option` (such as "--backup"), cannot make a name
// beside a movie; empty when it can. The same on every platform: an empty
// suffix would name the movie itself, and '/', '\' or ':' would lead into
// another folder or, on Windows, into a stream of the movie itself.
std::optional<std::string> suffixProblem(const std::string& option, const std::string& suffix);

// `path` for a text report: control characters escaped (a line end as \n,
// others as \xNN), so that one line stays one report. JSON keeps the bytes.
std::string printablePath(const std::string& path);

// The start of a path too long to be held or shown whole: its first 100
// bytes and "...".
std::string shortenedPath(const std::string& start);
inline constexpr std::size_t kShortenedPathBytes = 100;

// A name for a temporary file beside `target` (in its folder), no longer
// than `target`'s own name, so that wherever `target` may be created the
// temporary may too. It starts with a dot, and `seed` and `attempt` spell
// the rest of it differently for each try.
std::string temporaryNameBeside(const std::string& target, unsigned long seed, unsigned attempt);

}  // namespace vantrel::cli

#endif  // VANTREL_CLI_FILES_FILE_NAMES_H_
