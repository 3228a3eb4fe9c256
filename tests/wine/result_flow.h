#ifndef VANTREL_TESTS_WINE_RESULT_FLOW_H_
#define VANTREL_TESTS_WINE_RESULT_FLOW_H_

#include <cstdint>
#include <string>

#include "tests/wine/case_kit.h"
#include "tests/wine/window_probe.h"

// The end of every run that gets as far as the progress window: the result
// box over the still-open window, OK, and the program ending with 0.
namespace vantrel::wine {

struct ResultSeen {
  bool shown = false;
  std::string text;
  std::string progressTitle;
  BarState bar;
};

// Waits for the result box captioned `caption`; checks that it is owned by
// the visible, disabled progress window titled `title`; reads the box and
// the bar; takes screenshot `shot`; presses OK; checks that the progress
// window then closes and the program ends with exit code 0.
ResultSeen finishRun(VantrelRun& run, const std::string& caption, const std::string& title,
                     const std::string& shot, Check& check);

// The same for a run that ends well: the "Fix Complete" box names
// `displayName` and `fixCount`, the bar runs from 0 to `chunkCount` and is full.
void expectCompletion(VantrelRun& run, const std::string& displayName, std::uint64_t fixCount,
                      std::uint32_t chunkCount, const std::string& shot, Check& check);

// The same for a run that ends with the error box `text`.
void expectErrorBox(VantrelRun& run, const std::string& displayName, const std::string& text,
                    const std::string& shot, Check& check);

// The texts as the program shows them.
std::string completionText(const std::string& displayName, std::uint64_t fixCount);
inline constexpr char kCannotOpenMovieText[] =
    "Cannot open QELM file. Make sure the file is not already open and is not read only.";
inline constexpr char kNotValidText[] = "Not a valid QELM file";
inline constexpr char kCannotSaveText[] =
    "Cannot save all fixes to the QELM file. It may be only partly repaired.";

// The Windows path of a new file `name` in the case's movies folder,
// holding `bytes`.
std::string putMovie(const CaseSetup& setup, const std::string& name, const Bytes& bytes);

}  // namespace vantrel::wine

#endif  // VANTREL_TESTS_WINE_RESULT_FLOW_H_
