#include "app/startup.h"

#include <string>
#include <utility>

#include "app/app_messages.h"
#include "app/exit_codes.h"
#include "app/launch_choices.h"
#include "app/message_box.h"
#include "app/open_movie_dialog.h"
#include "app/progress_window.h"
#include "app/run_state.h"
#include "fixrules/fix_loader.h"

namespace vantrel::app {
namespace {

// The full path of this program. The buffer grows until the path fits, so
// a program kept deeper than MAX_PATH still finds its fix.dat.
std::string executablePath() {
  HMODULE self = GetModuleHandleA(nullptr);
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD size = static_cast<DWORD>(path.size());
    const DWORD length = GetModuleFileNameA(self, &path[0], size);
    if (length == 0) return std::string();
    if (length < size) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace

int runProgram(HINSTANCE instance, const char* commandLine) {
  FixLoad load = loadFixTable(ruleFilePath(programDirectory(executablePath())));
  if (!load.opened) {
    showMessage(nullptr, noRulesBox());
    return kExitNoRules;
  }
  if (load.badLine) showMessage(nullptr, badRuleBox(*load.badLine));

  RunState& run = theRun();
  run.rules = std::move(load.table);
  if (const auto quoted = movieFromCommandLine(commandLine != nullptr ? commandLine : "")) {
    run.moviePath = *quoted;
    run.displayName = displayNameOf(*quoted);
  } else if (const auto chosen = askForMovie()) {
    run.moviePath = chosen->path;
    run.displayName = chosen->displayName;
  } else {
    return kExitDone;
  }

  if (!runProgressWindow(instance)) {
    showMessage(nullptr, noWindowBox());
    return kExitNoWindow;
  }
  return kExitDone;
}

}  // namespace vantrel::app
