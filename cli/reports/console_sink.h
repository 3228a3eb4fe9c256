#ifndef VANTREL_CLI_REPORTS_CONSOLE_SINK_H_
#define VANTREL_CLI_REPORTS_CONSOLE_SINK_H_

#include <cstdint>
#include <ostream>
#include <string>

#include "movie/progress_sink.h"

namespace vantrel::cli {

// Standard output of a run, one line at a time. In text, an empty line
// parts what one movie prints from what came before it; JSON Lines are
// written as they come.
class ReportStream {
 public:
  ReportStream(std::ostream& out, bool json) : out_(out), json_(json) {}

  bool json() const { return json_; }
  std::ostream& stream() { return out_; }

  // What follows belongs to the next movie (or to the closing summary).
  void nextMovie() { movieStarted_ = false; }
  // Writes `text` and a line end.
  void line(const std::string& text);

 private:
  std::ostream& out_;
  bool json_;
  bool anyLine_ = false;
  bool movieStarted_ = false;
};

// What a ConsoleSink shows of a walk.
struct SinkStyle {
  bool showBar = false;         // the progress bar, on stderr
  bool listFixes = false;       // --list
  bool listReferences = false;  // --references
};

// Shows one walk on the console: an optional progress bar that redraws one
// line of `err` in place; with --list a line or record on the report for
// each fix, with --references for each reference; and for each fix that
// could not be written a line on `err` (and a record with --json).
class ConsoleSink final : public ProgressSink {
 public:
  ConsoleSink(ReportStream& report, std::ostream& err, std::string moviePath, SinkStyle style);

  void begin(std::uint32_t total) override;
  void step() override;
  void referenceFixed(const FixedReference& fix) override;
  void writeFailed(std::uint64_t valueOffset) override;
  void referenceRead(const ReadReference& reference) override;

  // Takes the bar off the screen; called before the walk's result is shown.
  void finish();

 private:
  void drawBar();
  void clearBar();

  ReportStream& report_;
  std::ostream& err_;
  std::string moviePath_;  // as it is, for JSON
  std::string shownPath_;  // with control characters escaped, for text
  SinkStyle style_;
  bool headingShown_ = false;
  std::uint32_t total_ = 0;
  std::uint32_t done_ = 0;
  int drawnFill_ = -1;  // cells filled when the bar was last drawn; -1: not shown
};

// One line of --list: where the value word lies, the reference's tag and
// number, and its old and new value as the rule file writes them.
std::string describeFix(const FixedReference& fix);

// An offset in the file as the listings give it: "0x0000001c".
std::string hexOffset(std::uint64_t offset);

// Tag bytes as they read, with anything unprintable (and quote and
// backslash) escaped as \xNN.
std::string printableTag(const char tag[4]);

// The word as the signed number that fix.dat would hold for it, and that
// number in decimal.
std::int64_t signedWord(std::uint32_t word);
std::string asRuleNumber(std::uint32_t word);

}  // namespace vantrel::cli

#endif  // VANTREL_CLI_REPORTS_CONSOLE_SINK_H_
