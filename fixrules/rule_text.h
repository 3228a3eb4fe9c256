#ifndef VANTREL_FIXRULES_RULE_TEXT_H_
#define VANTREL_FIXRULES_RULE_TEXT_H_

#include <cstddef>
#include <functional>
#include <vector>

namespace vantrel {

// Hands out bytes of a rule file: fills up to `room` bytes at `out` and
// returns how many it gave, 0 at the end.
using ByteReader = std::function<std::size_t(char* out, std::size_t room)>;

// A rule file's text as a text-mode read sees it, a piece at a time: cut at
// the first Ctrl-Z, CR LF folded to LF, a lone CR kept as white space. The
// text in the buffer is always followed by a NUL, which is neither white
// space nor a digit, so scans stop there without checking for the end.
class RuleText {
 public:
  RuleText(const ByteReader& read, std::size_t bufferSize);

  const char* data() const { return bytes_.data(); }
  std::size_t begin() const { return begin_; }
  std::size_t end() const { return end_; }
  // No more text will come than what the buffer holds.
  bool final() const { return ended_ && !heldCr_; }
  // The text ended at a Ctrl-Z rather than at the end of the bytes.
  bool cutByCtrlZ() const { return cutByCtrlZ_; }

  // Drops the text before `keepFrom` and reads another piece after what is
  // kept, growing the buffer when what is kept fills it.
  void fill(std::size_t keepFrom);

 private:
  void readPiece(std::size_t start);
  void foldLineEnds(std::size_t from);

  const ByteReader& read_;
  std::vector<char> bytes_;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  bool ended_ = false;
  bool heldCr_ = false;
  bool cutByCtrlZ_ = false;
};

}  // namespace vantrel

#endif  // VANTREL_FIXRULES_RULE_TEXT_H_
