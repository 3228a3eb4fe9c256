#include "fixrules/fix_loader.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "fixrules/rule_reader.h"

namespace vantrel {
namespace {

constexpr std::size_t kBufferSize = std::size_t{64} * 1024;

// Room reserved for the rules of a file of `bytes` bytes: as many as the
// shortest records, "-TTTT0 0 0", would give, up to a bound beyond which the
// table simply grows. Room that is never used costs address space, not
// memory; room too small makes the table grow, copying what it holds.
std::size_t expectedRules(std::size_t bytes) {
  constexpr std::size_t kShortestRecord = 10;
  constexpr std::size_t kMostRulesReserved = std::size_t{1} << 22;
  return std::min(bytes / kShortestRecord + 1, kMostRulesReserved);
}

FixLoad notOpened(int error) {
  FixLoad load;
  load.openError = error != 0 ? error : EIO;
  return load;
}

}  // namespace

FixLoad readFixRules(const ByteReader& read, std::size_t bufferSize, std::size_t sizeHint) {
  std::vector<char> buffer(std::max<std::size_t>(bufferSize, 1));
  RuleScanner scanner(expectedRules(sizeHint));
  while (!scanner.done()) {
    const std::size_t got = read(buffer.data(), buffer.size());
    if (got == 0) break;
    scanner.feed(buffer.data(), got);
  }
  scanner.finish();

  FixLoad load;
  load.opened = true;
  load.badLine = scanner.badLine();
  load.badRecord = scanner.badRecord();
  load.wrapped = scanner.wrapped();
  load.ctrlZLine = scanner.ctrlZLine();
  load.table = FixTable(scanner.takeRules());
  return load;
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
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                             &std::fclose);
  if (!file) return notOpened(errno);
  long size = -1;
  if (std::fseek(file.get(), 0, SEEK_END) == 0) size = std::ftell(file.get());
  std::rewind(file.get());
  const ByteReader read = [&file](char* out, std::size_t room) {
    return std::fread(out, 1, room, file.get());
  };
  try {
    FixLoad load = readFixRules(read, kBufferSize, size > 0 ? static_cast<std::size_t>(size) : 0);
    // A file that cannot be read (a folder, say) is as good as one that
    // cannot be opened.
    if (std::ferror(file.get())) return notOpened(errno);
    return load;
  } catch (const std::bad_alloc&) {
    return notOpened(ENOMEM);  // a file of more rules than memory holds cannot be used
  }
}

}  // namespace vantrel
