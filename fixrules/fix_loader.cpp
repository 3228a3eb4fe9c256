#include "fixrules/fix_loader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <system_error>
#include <thread>

#include "fixrules/rule_reader.h"
#include "fixrules/rule_scan.h"
#include "fixrules/rule_text.h"

namespace vantrel {
namespace {

constexpr std::size_t kBufferSize = std::size_t{1} << 18;

// The shortest record, "-TTTT0 0 0", is ten characters; a hint beyond this
// many rules is left to the table's own growth.
constexpr std::size_t kShortestRecord = 10;
constexpr std::size_t kMostRulesReserved = std::size_t{1} << 22;

std::size_t expectedRules(std::size_t bytes) {
  return std::min(bytes / kShortestRecord + 1, kMostRulesReserved);
}

FixLoad loaded(FixTableBuilder& rules, const ScanResult& scan) {
  FixLoad load;
  load.opened = true;
  load.badLine = scan.badLine;
  load.table = rules.build();
  return load;
}

using File = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

File openFile(const std::string& path) { return File(std::fopen(path.c_str(), "rb"), &std::fclose); }

// A rule file of this size or more is read in two parts at once, when the
// machine has a second processor for it.
constexpr long kSplitFrom = 1L << 20;
constexpr long kSplitBelow = 1L << 30;

// The bytes of one part of a file read in two: the First part ends just
// after the first line end at or beyond `middle`, where the Later part
// begins. Both parts find that line end on their own and say where it was.
class PartReader {
 public:
  PartReader(std::FILE* file, TextPart part, long middle)
      : file_(file), part_(part), middle_(static_cast<std::size_t>(middle)),
        offset_(part == TextPart::First ? 0 : middle_) {}

  std::size_t operator()(char* out, std::size_t room) {
    if (done_) return 0;
    std::size_t got = std::fread(out, 1, room, file_);
    if (!meetingFound_ && offset_ + got > middle_) {
      const std::size_t from = offset_ < middle_ ? middle_ - offset_ : 0;
      if (const void* lineEnd = std::memchr(out + from, '\n', got - from)) {
        const std::size_t cut = static_cast<std::size_t>(static_cast<const char*>(lineEnd) - out) + 1;
        meeting_ = offset_ + cut;
        meetingFound_ = true;
        if (part_ == TextPart::First) {
          done_ = true;
          got = cut;
        } else {
          std::memmove(out, out + cut, got - cut);  // what comes before is the First part's
          offset_ += cut;
          got -= cut;
        }
      }
    }
    offset_ += got;
    if (part_ == TextPart::Later && !meetingFound_) return got == 0 ? 0 : (*this)(out, room);
    return got;
  }

  bool meetingFound() const { return meetingFound_; }
  std::size_t meeting() const { return meeting_; }

 private:
  std::FILE* file_;
  TextPart part_;
  std::size_t middle_;
  std::size_t offset_;
  std::size_t meeting_ = 0;
  bool meetingFound_ = false;
  bool done_ = false;
};

struct PartScan {
  FixTableBuilder rules;
  ScanResult scan;
  bool cutByCtrlZ = false;
  bool meetingFound = false;
  std::size_t meeting = 0;
  bool readFailed = false;
};

void scanPart(std::FILE* file, TextPart part, long middle, std::size_t expected, PartScan& out) {
  PartReader reader(file, part, middle);
  const ByteReader read = std::ref(reader);
  RuleText text(read, kBufferSize);
  out.rules = FixTableBuilder(expected);
  out.scan = scanRules(text, out.rules, part);
  out.cutByCtrlZ = text.cutByCtrlZ();
  out.meetingFound = reader.meetingFound();
  out.meeting = reader.meeting();
  out.readFailed = std::ferror(file) != 0;
}

// Reads the two halves of a large rule file at once. Empty when the halves
// cannot simply be put together (a record running across the meeting point,
// a Ctrl-Z in the first half, a file that changed meanwhile); the file is
// then read in one go.
std::optional<FixLoad> loadInTwoParts(const std::string& path, long size) {
  File first = openFile(path);
  File later = openFile(path);
  const long middle = size / 2;
  if (!first || !later || std::fseek(later.get(), middle, SEEK_SET) != 0) return std::nullopt;

  PartScan firstPart, laterPart;
  std::exception_ptr laterFailure;
  std::thread laterThread([&] {
    try {
      scanPart(later.get(), TextPart::Later, middle, expectedRules(size - middle), laterPart);
    } catch (...) {
      laterFailure = std::current_exception();
    }
  });
  try {
    scanPart(first.get(), TextPart::First, middle, expectedRules(size), firstPart);
  } catch (...) {
    laterThread.join();
    throw;
  }
  laterThread.join();
  if (laterFailure) std::rethrow_exception(laterFailure);
  if (firstPart.readFailed || laterPart.readFailed) {
    FixLoad unreadable;
    return unreadable;
  }

  if (firstPart.scan.badLine) return loaded(firstPart.rules, firstPart.scan);
  if (firstPart.cutByCtrlZ || firstPart.scan.straddles || !firstPart.meetingFound ||
      !laterPart.meetingFound || firstPart.meeting != laterPart.meeting) {
    return std::nullopt;
  }
  firstPart.rules.append(std::move(laterPart.rules));
  ScanResult whole = laterPart.scan;
  if (whole.badLine) *whole.badLine += firstPart.scan.lineEnds;
  return loaded(firstPart.rules, whole);
}

FixLoad loadInOneGo(std::FILE* file, std::size_t sizeHint) {
  const ByteReader read = [file](char* out, std::size_t room) {
    return std::fread(out, 1, room, file);
  };
  RuleText text(read, kBufferSize);
  FixTableBuilder rules(expectedRules(sizeHint));
  const ScanResult scan = scanRules(text, rules, TextPart::Whole);
  if (std::ferror(file)) return FixLoad{};
  return loaded(rules, scan);
}

}  // namespace

FixLoad readFixRules(const ByteReader& read, std::size_t bufferSize, std::size_t sizeHint) {
  RuleText text(read, bufferSize);
  FixTableBuilder rules(expectedRules(sizeHint));
  const ScanResult scan = scanRules(text, rules, TextPart::Whole);
  return loaded(rules, scan);
}

FixLoad parseFixText(std::string_view fileBytes) {
  std::size_t offset = 0;
  const ByteReader read = [&](char* out, std::size_t room) {
    const std::size_t count = std::min(room, fileBytes.size() - offset);
    std::memcpy(out, fileBytes.data() + offset, count);
    offset += count;
    return count;
  };
  return readFixRules(read, kBufferSize, fileBytes.size());
}

FixLoad loadFixTable(const std::string& path) {
  File file = openFile(path);
  if (!file) return FixLoad{};
  long size = -1;
  if (std::fseek(file.get(), 0, SEEK_END) == 0) size = std::ftell(file.get());
  std::rewind(file.get());
  try {
    if (size >= kSplitFrom && size < kSplitBelow && std::thread::hardware_concurrency() > 1) {
      if (auto load = loadInTwoParts(path, size)) return *std::move(load);
    }
    return loadInOneGo(file.get(), size > 0 ? static_cast<std::size_t>(size) : 0);
  } catch (const std::bad_alloc&) {
    return FixLoad{};  // a file of more rules than memory holds cannot be used
  } catch (const std::system_error&) {
    return loadInOneGo(file.get(), static_cast<std::size_t>(size));  // no second thread to be had
  }
}

}  // namespace vantrel
