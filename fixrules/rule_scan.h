#ifndef VANTREL_FIXRULES_RULE_SCAN_H_
#define VANTREL_FIXRULES_RULE_SCAN_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "fixrules/fix_rule.h"

namespace vantrel {

// Why a record of fix.dat is not a rule.
enum class BadRecord : std::uint8_t {
  NoDash,    // it does not begin with '-'
  NoNumber,  // where a number (or the digits after its sign) should be, something else is
  CutShort,  // the file ends inside it
};

// The three numbers of a rule, in the order the record holds them.
enum class RuleField : std::uint8_t { Number, OldValue, NewValue };

// A number of a rule that lies outside -2147483648 .. 4294967295, the signed
// and the unsigned spellings of a 32-bit word; only its low 32 bits were kept.
struct WrappedNumber {
  std::size_t ruleIndex;
  RuleField field;
};

// Reads the bytes of fix.dat, handed over in pieces of any size, as a
// text-mode read sees them (CR LF is one line end, a lone CR is white space,
// the first Ctrl-Z ends the file), and takes records of the shape
// "-TTTT number old new" the way scanf reads "-%c%c%c%c %d %d %d\n": the
// four tag characters as they stand, any run of white space (even none)
// before each number, the white space after a record belonging to it. The
// first record must begin at the first byte. Reading stops at the first
// record that does not have this shape.
//
// The scan is a state machine that can stop at any byte and go on with the
// next piece, so it holds nothing of the text itself: its memory is the
// rules it keeps, whatever the length of a record.
class RuleScanner {
 public:
  // Room for `expectedRules` rules is taken at once when memory allows;
  // the table grows beyond it as it must.
  explicit RuleScanner(std::size_t expectedRules = 0);

  // Scans the next `size` bytes of the file.
  void feed(const char* bytes, std::size_t size);
  // The file has ended; a record cut short by it is malformed.
  void finish();
  // Nothing more is read: a malformed record, a Ctrl-Z or the end was met.
  bool done() const { return state_ == State::Done; }

  std::vector<FixRule> takeRules() { return std::move(rules_); }
  // The line where the first malformed record begins, and what is wrong with it.
  std::optional<long long> badLine() const { return badLine_; }
  BadRecord badRecord() const { return badRecord_; }
  const std::vector<WrappedNumber>& wrapped() const { return wrapped_; }
  // The line of the Ctrl-Z that ended the file, when one did: whatever
  // follows it, even records appended later, is never read.
  std::optional<long long> ctrlZLine() const { return ctrlZLine_; }

 private:
  enum class State : std::uint8_t {
    FileStart,    // the first byte must be the first record's '-'
    AfterRecord,  // white space, then the next record's '-'
    Tag,          // the four tag characters
    BeforeNumber,
    Sign,  // a sign was read, a digit must follow
    Digits,
    Done,
  };

  void scanText(const char* p, const char* end);
  const char* skipSpace(const char* p, const char* end);
  const char* scanTag(const char* p, const char* end);
  const char* scanDigits(const char* p, const char* end);
  // Keeps the number just read; true when it was the record's last.
  bool endNumber();
  void endRecord();
  void stop(BadRecord why, long long line);

  State state_ = State::FileStart;
  bool heldCr_ = false;  // a CR ended the last piece: it may start a CR LF pair
  long long line_ = 1;
  FixRule rule_{};  // the record being read
  int tagLength_ = 0;
  int field_ = 0;  // which number is being read
  std::uint32_t numbers_[3] = {};
  bool negative_ = false;
  bool tooLarge_ = false;           // the digits so far spell more than 32 bits
  std::uint32_t magnitude_ = 0;     // their value modulo 2^32
  std::uint8_t wrappedFields_ = 0;  // a bit for each number of the record that wrapped

  std::vector<FixRule> rules_;
  std::vector<WrappedNumber> wrapped_;
  std::optional<long long> badLine_;
  std::optional<long long> ctrlZLine_;
  BadRecord badRecord_ = BadRecord::NoDash;
};

}  // namespace vantrel

#endif  // VANTREL_FIXRULES_RULE_SCAN_H_
