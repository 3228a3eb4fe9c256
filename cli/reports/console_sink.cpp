#include "cli/reports/console_sink.h"

#include <cstdio>

#include "cli/files/file_names.h"
#include "cli/reports/run_records.h"

namespace vantrel::cli {
namespace {

constexpr int kBarCells = 40;

}  // namespace

std::string printableTag(const char tag[4]) {
  std::string text;
  for (int i = 0; i < 4; ++i) {
    const auto byte = static_cast<unsigned char>(tag[i]);
    if (byte >= 0x20 && byte < 0x7f && byte != '\'' && byte != '\\') {
      text.push_back(static_cast<char>(byte));
    } else {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
      text += escaped;
    }
  }
  return text;
}

std::int64_t signedWord(std::uint32_t word) {
  return word < 0x80000000u ? std::int64_t{word} : std::int64_t{word} - 0x100000000LL;
}

std::string asRuleNumber(std::uint32_t word) { return std::to_string(signedWord(word)); }

std::string hexOffset(std::uint64_t offset) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%08llx", static_cast<unsigned long long>(offset));
  return text;
}

std::string describeFix(const FixedReference& fix) {
  return hexOffset(fix.valueOffset) + " '" + printableTag(fix.tag) + "' " +
         asRuleNumber(fix.number) + ": " + asRuleNumber(fix.oldValue) + " -> " +
         asRuleNumber(fix.newValue);
}

void ReportStream::line(const std::string& text) {
  if (!json_ && !movieStarted_ && anyLine_) out_ << '\n';
  movieStarted_ = true;
  anyLine_ = true;
  out_ << text << '\n';
}

ConsoleSink::ConsoleSink(ReportStream& report, std::ostream& err, std::string moviePath,
                         SinkStyle style)
    : report_(report),
      err_(err),
      moviePath_(std::move(moviePath)),
      shownPath_(printablePath(moviePath_)),
      style_(style) {}

void ConsoleSink::begin(std::uint32_t total) {
  total_ = total;
  done_ = 0;
  drawBar();
}

void ConsoleSink::step() {
  ++done_;
  drawBar();
}

void ConsoleSink::referenceFixed(const FixedReference& fix) {
  if (!style_.listFixes) return;
  clearBar();
  report_.line(report_.json() ? fixJson(moviePath_, fix) : shownPath_ + ": " + describeFix(fix));
}

void ConsoleSink::referenceRead(const ReadReference& reference) {
  if (!style_.listReferences) return;
  clearBar();
  if (report_.json()) {
    report_.line(referenceJson(moviePath_, reference));
    return;
  }
  if (!headingShown_) {
    report_.line(shownPath_ + ": " + referenceHeading());
    headingShown_ = true;
  }
  report_.line(shownPath_ + ": " + describeReference(reference));
}

void ConsoleSink::writeFailed(std::uint64_t valueOffset) {
  clearBar();
  err_ << shownPath_ << ": ?? the fix at " << hexOffset(valueOffset) << " could not be written\n";
  if (report_.json()) report_.line(writeFailedJson(moviePath_, valueOffset));
}

void ConsoleSink::finish() { clearBar(); }

void ConsoleSink::drawBar() {
  if (!style_.showBar) return;
  const int fill =
      total_ == 0 ? kBarCells : static_cast<int>(std::uint64_t{done_} * kBarCells / total_);
  if (fill == drawnFill_) return;
  drawnFill_ = fill;
  report_.stream().flush();
  err_ << '\r' << std::string(static_cast<std::size_t>(fill), '#')
       << std::string(static_cast<std::size_t>(kBarCells - fill), '.') << ' '
       << (total_ == 0 ? 100 : std::uint64_t{done_} * 100 / total_) << "% " << shownPath_
       << std::flush;
}

void ConsoleSink::clearBar() {
  if (drawnFill_ < 0) return;
  err_ << "\r\x1b[K" << std::flush;
  drawnFill_ = -1;
}

}  // namespace vantrel::cli
