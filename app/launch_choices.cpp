#include "app/launch_choices.h"

#include "fixrules/rule_messages.h"
#include "movie/path_parts.h"

namespace vantrel::app {

std::string programDirectory(const std::string& executablePath) {
  return executablePath.substr(0, lastPartStart(executablePath, "\\"));
}

std::string ruleFilePath(const std::string& programDir) { return programDir + kRuleFileName; }

std::optional<std::string> movieFromCommandLine(const std::string& commandLine) {
  if (commandLine.empty() || commandLine.front() != '"') return std::nullopt;
  const std::size_t closing = commandLine.find('"', 1);
  // Without a closing quote npos takes the rest of the line.
  return commandLine.substr(1, closing == std::string::npos ? std::string::npos : closing - 1);
}

std::string displayNameOf(const std::string& moviePath) { return lastPartOf(moviePath, "\\"); }

}  // namespace vantrel::app
