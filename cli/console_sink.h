#ifndef VANTREL_CLI_CONSOLE_SINK_H_
#define VANTREL_CLI_CONSOLE_SINK_H_

#include <cstdint>
#include <ostream>
#include <string>

#include "movie/progress_sink.h"

namespace vantrel::cli {

// Shows one walk on the console: an optional progress bar that redraws one
// line of `err` in place, a line on `out` for each fix when listing, and a
// line on `err` for each fix that could not be written.
class ConsoleSink final : public ProgressSink {
 public:
  ConsoleSink(std::ostream& out, std::ostream& err, std::string moviePath, bool showBar,
              bool listFixes);

  void begin(std::uint32_t total) override;
  void step() override;
  void referenceFixed(const FixedReference& fix) override;
  void writeFailed(std::uint64_t valueOffset) override;

  // Takes the bar off the screen; called before the walk's result is shown.
  void finish();

 private:
  void drawBar();
  void clearBar();

  std::ostream& out_;
  std::ostream& err_;
  std::string moviePath_;
  bool showBar_;
  bool listFixes_;
  std::uint32_t total_ = 0;
  std::uint32_t done_ = 0;
  int drawnFill_ = -1;  // cells filled when the bar was last drawn; -1: not shown
};

// One line of --list: where the value word lies, the reference's tag and
// number, and its old and new value as the rule file writes them.
std::string describeFix(const FixedReference& fix);

// Tag bytes as they read, with anything unprintable (and quote and
// backslash) escaped as \xNN.
std::string printableTag(const char tag[4]);

// The word as the signed number that fix.dat would hold for it, and that
// number in decimal.
std::int64_t signedWord(std::uint32_t word);
std::string asRuleNumber(std::uint32_t word);

}  // namespace vantrel::cli

#endif  // VANTREL_CLI_CONSOLE_SINK_H_
