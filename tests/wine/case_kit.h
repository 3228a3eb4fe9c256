#ifndef VANTREL_TESTS_WINE_CASE_KIT_H_
#define VANTREL_TESTS_WINE_CASE_KIT_H_

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/movie_builder.h"

// What every end-to-end case needs: a record of failed checks, its own
// folder with a copy of the program, screenshots, and a running Vantrel.
namespace vantrel::wine {

using moviekit::Bytes;

// Collects the failed checks of one case; each is printed as it fails.
class Check {
 public:
  bool that(bool ok, const std::string& what);

  template <typename T, typename U>
  bool equal(const T& actual, const U& expected, const std::string& what) {
    if (actual == expected) return true;
    std::ostringstream text;
    text << what << ": expected [" << expected << "], got [" << actual << "]";
    return that(false, text.str());
  }

  bool sameBytes(const Bytes& actual, const Bytes& expected, const std::string& what);

  int failures() const { return failures_; }

 private:
  int failures_ = 0;
};

// Where a case keeps its files. The case runs in the current folder; the
// program is copied to prog\ there, movies go to movies\.
struct CaseSetup {
  std::string folder;      // the current folder, with a trailing backslash
  std::string programDir;  // folder\prog\, holding Vantrel.exe
  std::string programPath;
  std::string moviesDir;   // folder\movies\ .
};

// Makes the case's folders and copies `exePath` in as PROGRAM\Vantrel.exe,
// where PROGRAM is `programFolder` in the case's folder.
CaseSetup setUpCase(const std::string& exePath, Check& check,
                    const std::string& programFolder = "prog");

// The case's folders for a program installed elsewhere, in `programDir`
// (with its trailing backslash): nothing is copied.
CaseSetup setUpInstalledCase(const std::string& programDir);

// Writes fix.dat beside the program.
void writeRules(const CaseSetup& setup, const std::string& text);

bool fileExists(const std::string& path);

// Handles the driver's own window messages for `ms` milliseconds.
void pumpMessagesFor(DWORD ms);

// Asks the runner for a screenshot named `name` and waits until it is
// taken; does nothing when screenshots were not asked for.
void screenshot(const std::string& name, Check& check);
void enableScreenshots();

// One run of Vantrel.exe, started with the command line
// "<program>" followed by a space and `tail`, in the case's folder; or with
// exactly `commandLine` in `folder`, as Explorer starts a verb's command.
// Ended by force if the case leaves it running.
class VantrelRun {
 public:
  VantrelRun(const CaseSetup& setup, const std::string& tail, Check& check);
  VantrelRun(const std::string& commandLine, const std::string& folder, Check& check);
  ~VantrelRun();
  VantrelRun(const VantrelRun&) = delete;
  VantrelRun& operator=(const VantrelRun&) = delete;

  bool started() const { return process_ != nullptr; }
  DWORD processId() const { return processId_; }
  bool running() const;
  // Waits until the program shows a window for which `wanted` holds; null
  // when it ends first or shows none within `timeoutMs`.
  HWND waitForWindow(const std::function<bool(HWND)>& wanted, DWORD timeoutMs);

  // The exit code, or empty when the program is still running after
  // `timeoutMs`.
  std::optional<DWORD> waitForExit(DWORD timeoutMs);

 private:
  // Starts `commandLine`; `application` is null to let Windows take the
  // program from the command line.
  void start(const char* application, std::string commandLine, const std::string& folder,
             Check& check);

  HANDLE process_ = nullptr;
  DWORD processId_ = 0;
};

// How long a case waits for the program to show something or end. Generous:
// the first program a fresh Wine prefix starts is slow.
inline constexpr DWORD kPatience = 60000;

}  // namespace vantrel::wine

#endif  // VANTREL_TESTS_WINE_CASE_KIT_H_
