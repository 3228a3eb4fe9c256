#ifndef VANTREL_APP_LAUNCH_CHOICES_H_
#define VANTREL_APP_LAUNCH_CHOICES_H_

#include <optional>
#include <string>

// What the Windows program decides at start-up, kept apart from the Windows
// calls so that it can be checked anywhere. Paths are Windows paths: the
// backslash is the only separator.
namespace vantrel::app {

// The folder of the program at `executablePath`, with its trailing
// backslash; empty when the path holds no backslash.
std::string programDirectory(const std::string& executablePath);

// Where the rule file lies: `programDir` followed directly by "fix.dat".
std::string ruleFilePath(const std::string& programDir);

// The movie path that `commandLine` (the text after the program's name)
// carries: when it begins with a double quote, the text up to the next double
// quote or, without one, to the end; whatever follows the closing quote is
// ignored. Empty when the line does not begin with a quote, so that the user
// is asked instead.
std::optional<std::string> movieFromCommandLine(const std::string& commandLine);

// The part of `moviePath` after its last backslash, or all of it when it
// holds none.
std::string displayNameOf(const std::string& moviePath);

}  // namespace vantrel::app

#endif  // VANTREL_APP_LAUNCH_CHOICES_H_
