#ifndef VANTREL_CLI_FILES_RULE_PLACES_H_
#define VANTREL_CLI_FILES_RULE_PLACES_H_

#include <functional>
#include <string>
#include <vector>

namespace vantrel::cli {

// The value of the environment variable `name`; empty when it is not set.
using EnvironmentLookup = std::function<std::string(const char* name)>;

// The environment of this process.
std::string processEnvironmentVariable(const char* name);

// The variable that names the rule file, ahead of every place searched.
inline constexpr char kRulesVariable[] = "VANTREL_RULES";

// Where a user's and the machine's rules are kept on POSIX, in the XDG
// manner: $XDG_CONFIG_HOME/vantrel/fix.dat (~/.config when unset), then
// vantrel/fix.dat in each folder of $XDG_CONFIG_DIRS (/etc/xdg when unset),
// then /etc/vantrel/fix.dat.
std::vector<std::string> xdgRulePlaces(const EnvironmentLookup& variable);

// Where they are kept on Windows: %APPDATA%\Vantrel\fix.dat, then
// %PROGRAMDATA%\Vantrel\fix.dat.
std::vector<std::string> windowsRulePlaces(const EnvironmentLookup& variable);

// The one of the two above for the system the program runs on.
std::vector<std::string> systemRulePlaces(const EnvironmentLookup& variable);

// Whether a file could not be opened because nothing is at its path, so the
// search goes on: `systemError` is an errno value on POSIX and a Windows
// error code on Windows, as OpenFailure holds them.
bool isMissingPlace(long systemError);

// Every place to look for the rules when no --rules is given, in order: the
// file $VANTREL_RULES names, alone when it is set; else fix.dat in
// `programDirectory` (unless that is unknown, as the current folder is never
// searched), then the system's places.
std::vector<std::string> rulePlaces(const std::string& programDirectory,
                                    const EnvironmentLookup& variable);

}  // namespace vantrel::cli

#endif  // VANTREL_CLI_FILES_RULE_PLACES_H_
