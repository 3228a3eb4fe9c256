#include "cli/console_sink.h"

#include <cstdio>

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

std::string describeFix(const FixedReference& fix) {
  char offset[32];
  std::snprintf(offset, sizeof offset, "0x%08llx",
                static_cast<unsigned long long>(fix.valueOffset));
  return std::string(offset) + " '" + printableTag(fix.tag) + "' " + asRuleNumber(fix.number) +
         ": " + asRuleNumber(fix.oldValue) + " -> " + asRuleNumber(fix.newValue);
}

ConsoleSink::ConsoleSink(std::ostream& out, std::ostream& err, std::string moviePath,
                         bool showBar, bool listFixes)
    : out_(out), err_(err), moviePath_(std::move(moviePath)), showBar_(showBar),
      listFixes_(listFixes) {}

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
  if (!listFixes_) return;
  clearBar();
  out_ << moviePath_ << ": " << describeFix(fix) << '\n';
}

void ConsoleSink::writeFailed(std::uint64_t valueOffset) {
  clearBar();
  char offset[32];
  std::snprintf(offset, sizeof offset, "0x%08llx", static_cast<unsigned long long>(valueOffset));
  err_ << moviePath_ << ": ?? the fix at " << offset << " could not be written\n";
}

void ConsoleSink::finish() { clearBar(); }

void ConsoleSink::drawBar() {
  if (!showBar_) return;
  const int fill =
      total_ == 0 ? kBarCells
                  : static_cast<int>(std::uint64_t{done_} * kBarCells / total_);
  if (fill == drawnFill_) return;
  drawnFill_ = fill;
  out_.flush();
  err_ << '\r' << std::string(static_cast<std::size_t>(fill), '#')
       << std::string(static_cast<std::size_t>(kBarCells - fill), '.') << ' '
       << (total_ == 0 ? 100 : std::uint64_t{done_} * 100 / total_) << "% " << moviePath_
       << std::flush;
}

void ConsoleSink::clearBar() {
  if (drawnFill_ < 0) return;
  err_ << "\r\x1b[K" << std::flush;
  drawnFill_ = -1;
}

}  // namespace vantrel::cli
