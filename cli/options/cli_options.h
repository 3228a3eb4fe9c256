#ifndef VANTREL_CLI_OPTIONS_CLI_OPTIONS_H_
#define VANTREL_CLI_OPTIONS_CLI_OPTIONS_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vantrel::cli {

enum class CliAction {
  Patch,
  CheckRules,
  ShowRulesPath,
  Undo,
  DeriveRules,
  SuggestRules,
  ShowHelp,
  ShowVersion,
  UsageError
};

struct CliOptions {
  CliAction action = CliAction::Patch;
  std::string usageError;                // what was wrong, for UsageError
  std::optional<std::string> rulesPath;  // --rules; else the first rule file found
  bool dryRun = false;
  bool list = false;
  bool references = false;  // every reference each movie holds; implies a dry run
  bool quiet = false;
  bool json = false;                        // records for scripts, as JSON Lines on stdout
  std::optional<std::string> backupSuffix;  // --backup[=SUFFIX]: copy MOVIE to MOVIE+SUFFIX first
  // --journal[=SUFFIX]: each fix to MOVIE+SUFFIX first; with --undo, the journal to read.
  std::optional<std::string> journalSuffix;
  bool recursive = false;              // a directory stands for the movies beneath it
  std::vector<std::string> filesFrom;  // lists of movie paths; "-" is standard input
  bool nullSeparated = false;          // the lists' paths end in NUL bytes, not line ends
  std::vector<std::string> movies;     // with --derive-rules, pairs GOOD DAMAGED
  std::optional<std::uint32_t> agreement;  // --agreement=PERCENT, 1 to 100
  std::optional<std::uint64_t> minMovies;  // --min-movies=N, at least 1

  // What the walk of each movie may do: --references only reads.
  bool readOnly() const { return dryRun || references; }
};

// Reads the arguments after the program name, in the GNU manner: short
// options bundle ("-rq"), a long option may be shortened to any prefix that
// names only it, a value follows "=" or comes as the next argument. "--" ends
// the options, so a movie whose name starts with '-' can still be given; a
// lone "-" is a movie's name too (only --files-from reads standard input).
// The command line is then checked against the modes and options tables.
CliOptions parseCliOptions(const std::vector<std::string>& args);

// A usage error that says `message`.
CliOptions usageError(std::string message);

// The agreement and the movies a suggestion needs when not given.
inline constexpr std::uint32_t kDefaultAgreement = 90;
inline constexpr std::uint64_t kDefaultMinMovies = 5;

// The suffix --backup uses when given none.
inline constexpr char kDefaultBackupSuffix[] = ".bak";
// The suffix of the journal that --journal keeps and --undo reads.
inline constexpr char kDefaultJournalSuffix[] = ".undo";

}  // namespace vantrel::cli

#endif  // VANTREL_CLI_OPTIONS_CLI_OPTIONS_H_
