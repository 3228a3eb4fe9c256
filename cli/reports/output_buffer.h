#ifndef VANTREL_CLI_REPORTS_OUTPUT_BUFFER_H_
#define VANTREL_CLI_REPORTS_OUTPUT_BUFFER_H_

#include <cstddef>
#include <functional>
#include <optional>
#include <streambuf>
#include <string>

namespace vantrel::cli {

// The buffer under standard output. The report must never stop a repair: a
// closed pipe, a full disk or a closed descriptor is kept, with the
// system's reason, from the first failed write on, and whatever comes after
// it is dropped while the stream itself stays good. The program asks for
// the failure once it has finished every movie.
class OutputBuffer final : public std::streambuf {
 public:
  // Writes all `size` bytes at `bytes`; when it cannot, why, in the
  // system's words.
  using Writer = std::function<std::optional<std::string>(const char* bytes, std::size_t size)>;

  explicit OutputBuffer(Writer writer);
  ~OutputBuffer() override;
  OutputBuffer(const OutputBuffer&) = delete;
  OutputBuffer& operator=(const OutputBuffer&) = delete;

  // Why some output was lost; empty while all of it went out.
  const std::optional<std::string>& failure() const { return failure_; }

 protected:
  int_type overflow(int_type c) override;
  int sync() override;

 private:
  void writeOut();

  Writer writer_;
  char bytes_[8192];
  std::optional<std::string> failure_;
};

}  // namespace vantrel::cli

#endif  // VANTREL_CLI_REPORTS_OUTPUT_BUFFER_H_
