#ifndef VANTREL_APP_APP_MESSAGES_H_
#define VANTREL_APP_APP_MESSAGES_H_

#include <cstdint>
#include <string>

#include "movie/walk_result.h"

// Every text the Windows program shows, and which box shows it. The Windows
// layer only turns a MessageBoxContent into a MessageBoxA call.
namespace vantrel::app {

enum class BoxIcon { None, Information, Warning, Error };

struct MessageBoxContent {
  std::string text;
  std::string caption;
  BoxIcon icon = BoxIcon::None;
};

// The open-file dialog's title, and its one filter pair.
inline constexpr char kOpenDialogTitle[] = "Open QELM File";
inline constexpr char kMovieFilterLabel[] = "Qelmos (*.qlm)";
inline constexpr char kMovieFilterPattern[] = "*.qlm";

// The filter as GetOpenFileNameA takes it: label, pattern, each ended by a
// NUL, and one more NUL after the last pair.
std::string movieFilter();

// The progress window's title for the movie named `displayName`.
std::string progressTitle(const std::string& displayName);

// The box that reports a walk's `result` for the movie named `displayName`
// after `fixCount` fixes.
MessageBoxContent walkResultBox(WalkResult result, const std::string& displayName,
                                std::uint64_t fixCount);

// fix.dat could not be opened; the program ends.
MessageBoxContent noRulesBox();

// fix.dat stops being readable at `line`; the rules before it are used.
MessageBoxContent badRuleBox(long long line);

// The progress window could not be shown; the program ends.
MessageBoxContent noWindowBox();

// A fixed value word could not be written.
MessageBoxContent writeFailedBox();

}  // namespace vantrel::app

#endif  // VANTREL_APP_APP_MESSAGES_H_
