#include "app/launch_choices.h"

#include "fixrules/rule_messages.h"

namespace vantrel::app {

std::string programDirectory(const std::string& executablePath) {
  const std::size_t cut = executablePath.rfind('\\');
  return cut == std::string::npos ? std::string() : executablePath.substr(0, cut + 1);
}

std::string ruleFilePath(const std::string& programDir) { return programDir + kRuleFileName; }

std::optional<std::string> movieFromCommandLine(const std::string& commandLine) {
  if (commandLine.empty() || commandLine.front() != '"') return std::nullopt;
  const std::size_t closing = commandLine.find('"', 1);
  // Without a closing quote npos takes the rest of the line.
  return commandLine.substr(1, closing == std::string::npos ? std::string::npos : closing - 1);
}

std::string displayNameOf(const std::string& moviePath) {
  const std::size_t cut = moviePath.rfind('\\');
  return cut == std::string::npos ? moviePath : moviePath.substr(cut + 1);
}

}  // namespace vantrel::app
