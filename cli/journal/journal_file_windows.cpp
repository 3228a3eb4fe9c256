#include <windows.h>

#include <algorithm>

#include "cli/journal/journal_file.h"
#include "cli/platform/system_error.h"
#include "cli/platform/wide_path.h"

namespace vantrel::cli {
namespace {

HANDLE handleOf(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// Offsets for ReadFile and WriteFile; both FFFFFFFF words mean "at the end
// of the file", so that appends never write over another's.
OVERLAPPED at(std::uint64_t offset) {
  OVERLAPPED overlapped{};
  overlapped.Offset = static_cast<DWORD>(offset);
  overlapped.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return overlapped;
}
constexpr std::uint64_t kTheEnd = 0xFFFFFFFFFFFFFFFFull;

}  // namespace

std::unique_ptr<JournalFile> JournalFile::adopt(std::intptr_t handle, const std::string& path,
                                                bool created, std::string& why) {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(handleOf(handle), &size)) {
    why = lastSystemErrorText();
    CloseHandle(handleOf(handle));
    return nullptr;
  }
  return std::unique_ptr<JournalFile>(
      new JournalFile(handle, path, static_cast<std::uint64_t>(size.QuadPart), created));
}

std::unique_ptr<JournalFile> JournalFile::openToAppend(const std::string& path, std::string& why) {
  HANDLE file = CreateFileW(widePath(path).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    why = lastSystemErrorText();
    return nullptr;
  }
  const bool created = GetLastError() != ERROR_ALREADY_EXISTS;
  return adopt(reinterpret_cast<std::intptr_t>(file), path, created, why);
}

std::unique_ptr<JournalFile> JournalFile::openToRead(const std::string& path, bool& missing,
                                                     std::string& why) {
  HANDLE file =
      CreateFileW(widePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    why = systemErrorText(static_cast<long>(error));
    return nullptr;
  }
  missing = false;
  return adopt(reinterpret_cast<std::intptr_t>(file), path, false, why);
}

JournalFile::~JournalFile() { CloseHandle(handleOf(handle_)); }

void JournalFile::failed() { why_ = lastSystemErrorText(); }

bool JournalFile::append(const char* data, std::size_t n) {
  std::size_t done = 0;
  while (done < n) {
    OVERLAPPED end = at(kTheEnd);
    DWORD put = 0;
    const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(n - done, 1u << 30));
    if (!WriteFile(handleOf(handle_), data + done, wanted, &put, &end) || put == 0) {
      if (put == 0 && GetLastError() == ERROR_SUCCESS) SetLastError(ERROR_DISK_FULL);
      failed();
      size_ += done;
      return false;
    }
    done += put;
  }
  size_ += n;
  return true;
}

std::size_t JournalFile::readAt(std::uint64_t offset, char* out, std::size_t n) {
  std::size_t done = 0;
  while (done < n) {
    OVERLAPPED from = at(offset + done);
    DWORD got = 0;
    const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(n - done, 1u << 30));
    if (!ReadFile(handleOf(handle_), out + done, wanted, &got, &from) || got == 0) break;
    done += got;
  }
  return done;
}

// The folder needs nothing: the file system keeps its names in its own log.
bool JournalFile::sync() {
  if (!FlushFileBuffers(handleOf(handle_))) {
    failed();
    return false;
  }
  folderSynced_ = true;
  return true;
}

// FlushFileBuffers is the only way, and it waits.
void JournalFile::startWriteOut() {}

std::string removeJournal(const std::string& path) {
  if (!DeleteFileW(widePath(path).c_str())) return lastSystemErrorText();
  return {};
}

}  // namespace vantrel::cli
