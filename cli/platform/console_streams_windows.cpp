#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <iostream>
#include <optional>
#include <streambuf>
#include <string>

#include "cli/platform/console_streams.h"
#include "cli/reports/output_buffer.h"
#include "cli/platform/system_error.h"
#include "cli/reports/utf8_text.h"

namespace vantrel::cli {
namespace {

// Writes to a Windows console in UTF-16, which shows every script whatever
// the console's own code page. A character whose bytes are split between
// two flushes waits for the rest.
class WideConsoleBuffer final : public std::streambuf {
 public:
  explicit WideConsoleBuffer(HANDLE console) : console_(console) {
    setp(bytes_, bytes_ + sizeof bytes_);
  }
  ~WideConsoleBuffer() override { writeOut(true); }

  const std::optional<std::string>& failure() const { return failure_; }

 protected:
  int_type overflow(int_type c) override {
    writeOut(false);
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
    return c;
  }
  int sync() override {
    writeOut(false);
    return 0;
  }

 private:
  void writeOut(bool everything) {
    const std::size_t held = static_cast<std::size_t>(pptr() - pbase());
    const std::size_t whole = everything ? held : completeUtf8Prefix(pbase(), held);
    if (whole > 0) {
      std::wstring wide(whole, L'\0');
      const int length = MultiByteToWideChar(CP_UTF8, 0, pbase(), static_cast<int>(whole), &wide[0],
                                             static_cast<int>(wide.size()));
      DWORD written = 0;
      if (length > 0 && !failure_ &&
          !WriteConsoleW(console_, wide.data(), static_cast<DWORD>(length), &written, nullptr)) {
        failure_ = lastSystemErrorText();
      }
    }
    const std::size_t rest = held - whole;
    std::char_traits<char>::move(bytes_, pbase() + whole, rest);
    setp(bytes_, bytes_ + sizeof bytes_);
    pbump(static_cast<int>(rest));
  }

  HANDLE console_;
  char bytes_[4096];
  std::optional<std::string> failure_;
};

// Set once, before anything is written, by writeStandardOutputAsBytes().
bool standardOutputTakesBytes = false;

// Writes to a file or a pipe as text, each line end as CR LF, the way the C
// runtime writes text (or, with `asText` false, the bytes as they are); a
// handle that is missing (standard output closed) fails as the system would.
std::optional<std::string> writeText(HANDLE handle, const char* text, std::size_t length,
                                     bool asText = true) {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
    return systemErrorText(ERROR_INVALID_HANDLE);
  }
  std::string lines;
  lines.reserve(length + length / 16);
  for (std::size_t i = 0; i < length; ++i) {
    if (asText && text[i] == '\n') lines += '\r';
    lines += text[i];
  }
  const char* bytes = lines.data();
  std::size_t size = lines.size();
  while (size > 0) {
    const DWORD chunk = size > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size);
    DWORD put = 0;
    if (!WriteFile(handle, bytes, chunk, &put, nullptr)) return lastSystemErrorText();
    if (put == 0) return systemErrorText(ERROR_WRITE_FAULT);
    bytes += put;
    size -= put;
  }
  return std::nullopt;
}

bool isConsole(HANDLE handle, DWORD& mode) {
  return handle != INVALID_HANDLE_VALUE && handle != nullptr && GetConsoleMode(handle, &mode) != 0;
}

bool isConsole(HANDLE handle) {
  DWORD mode = 0;
  return isConsole(handle, mode);
}

// The progress bar erases its line with an escape code, which a console
// understands only once asked to (Windows 10 and later).
bool takesEraseCodes(HANDLE handle) {
  DWORD mode = 0;
  return isConsole(handle, mode) &&
         SetConsoleMode(handle, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

}  // namespace

// Output to a console goes through WideConsoleBuffer when the program's text
// is UTF-8, as it is where the manifest's code page holds; elsewhere (files,
// pipes, older Windows) the bytes go out as they are, as text.
ConsoleStreams openConsoleStreams() {
  const HANDLE outHandle = GetStdHandle(STD_OUTPUT_HANDLE);
  const HANDLE errHandle = GetStdHandle(STD_ERROR_HANDLE);
  const bool utf8 = GetACP() == CP_UTF8;
  // Static, so that what they hold is written out when the program ends.
  static WideConsoleBuffer outBuffer(outHandle);
  static WideConsoleBuffer errBuffer(errHandle);
  static OutputBuffer outBytes([outHandle](const char* bytes, std::size_t size) {
    return writeText(outHandle, bytes, size, !standardOutputTakesBytes);
  });
  static std::ostream outConsole(&outBuffer);
  static std::ostream errConsole(&errBuffer);
  static std::ostream outFile(&outBytes);
  errConsole.setf(std::ios::unitbuf);
  const bool outToConsole = utf8 && isConsole(outHandle);
  std::ostream& err = utf8 && isConsole(errHandle) ? errConsole : std::cerr;
  // A list of movies is bytes: no CR LF turned into LF, and no end at a Ctrl-Z.
  _setmode(_fileno(stdin), _O_BINARY);
  return ConsoleStreams{std::cin, outToConsole ? outConsole : outFile, err,
                        takesEraseCodes(errHandle),
                        outToConsole ? outBuffer.failure() : outBytes.failure()};
}

void writeStandardOutputAsBytes() { standardOutputTakesBytes = true; }

}  // namespace vantrel::cli
