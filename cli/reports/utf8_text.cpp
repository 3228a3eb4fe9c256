#include "cli/reports/utf8_text.h"

namespace vantrel::cli {
namespace {

// The length of the character that `lead` starts; 0 for a continuation
// byte, 1 for ASCII and for bytes that start nothing.
std::size_t sequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead < 0xC0) return 0;
  if (lead < 0xE0) return 2;
  if (lead < 0xF0) return 3;
  if (lead < 0xF8) return 4;
  return 1;
}

}  // namespace

std::size_t completeUtf8Prefix(const char* text, std::size_t size) {
  // Only the last three bytes can belong to an unfinished character.
  for (std::size_t back = 1; back <= 3 && back <= size; ++back) {
    const std::size_t at = size - back;
    const std::size_t length = sequenceLength(static_cast<unsigned char>(text[at]));
    if (length == 0) continue;
    return length > back ? at : size;
  }
  return size;
}

}  // namespace vantrel::cli
