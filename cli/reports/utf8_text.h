#ifndef VANTREL_CLI_REPORTS_UTF8_TEXT_H_
#define VANTREL_CLI_REPORTS_UTF8_TEXT_H_

#include <cstddef>

namespace vantrel::cli {

// How many of the `size` bytes at `text` may be handed on without cutting a
// UTF-8 character in two: all of them, unless they end inside a character
// whose remaining bytes have not come yet. Bytes that are not UTF-8 never
// wait.
std::size_t completeUtf8Prefix(const char* text, std::size_t size);

}  // namespace vantrel::cli

#endif  // VANTREL_CLI_REPORTS_UTF8_TEXT_H_
