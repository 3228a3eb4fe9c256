#include "cli/reports/output_buffer.h"

#include <utility>

namespace vantrel::cli {

OutputBuffer::OutputBuffer(Writer writer) : writer_(std::move(writer)) {
  setp(bytes_, bytes_ + sizeof bytes_);
}

OutputBuffer::~OutputBuffer() { writeOut(); }

OutputBuffer::int_type OutputBuffer::overflow(int_type c) {
  writeOut();
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  *pptr() = traits_type::to_char_type(c);
  pbump(1);
  return c;
}

// Always a success to the stream: a failure is kept for the end of the run.
int OutputBuffer::sync() {
  writeOut();
  return 0;
}

void OutputBuffer::writeOut() {
  const auto held = static_cast<std::size_t>(pptr() - pbase());
  if (held > 0 && !failure_) failure_ = writer_(pbase(), held);
  setp(bytes_, bytes_ + sizeof bytes_);
}

}  // namespace vantrel::cli
