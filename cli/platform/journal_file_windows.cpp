#include <windows.h>

#include <algorithm>

#include "cli/platform/journal_file.h"
#include "cli/platform/system_error.h"
#include "cli/platform/wide_path.h"

namespace vantrel::cli {
namespace {

// Offsets for ReadFile and WriteFile; both FFFFFFFF words mean "at the end
// of the file", so that appends never write over another's.
OVERLAPPED at(std::uint64_t offset) {
  OVERLAPPED overlapped{};
  overlapped.Offset = static_cast<DWORD>(offset);
  overlapped.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return overlapped;
}
constexpr std::uint64_t kTheEnd = 0xFFFFFFFFFFFFFFFFull;

// The lock is one byte far past any journal's end: Windows' locks keep
// others from the bytes they cover, and readers must still read the rest.
constexpr std::uint64_t kLockedByte = 0xFFFFFFFFFFFFFFFEull;

class WindowsJournal final : public JournalDevice {
 public:
  WindowsJournal(HANDLE file, std::string path, std::uint64_t size, bool created)
      : file_(file), path_(std::move(path)), size_(size), created_(created) {}
  ~WindowsJournal() override { CloseHandle(file_); }  // which releases the lock

  std::uint64_t size() const override { return size_; }
  bool created() const override { return created_; }

  std::size_t readAt(std::uint64_t offset, char* out, std::size_t n) override {
    std::size_t done = 0;
    while (done < n) {
      OVERLAPPED from = at(offset + done);
      DWORD got = 0;
      const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(n - done, 1u << 30));
      if (!ReadFile(file_, out + done, wanted, &got, &from)) {
        if (GetLastError() != ERROR_HANDLE_EOF) failed();
        break;
      }
      if (got == 0) break;
      done += got;
    }
    return done;
  }

  bool append(const char* data, std::size_t n) override {
    std::size_t done = 0;
    while (done < n) {
      OVERLAPPED end = at(kTheEnd);
      DWORD put = 0;
      const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(n - done, 1u << 30));
      if (!WriteFile(file_, data + done, wanted, &put, &end) || put == 0) {
        if (put == 0 && GetLastError() == ERROR_SUCCESS) SetLastError(ERROR_DISK_FULL);
        size_ += done;
        return failed();
      }
      done += put;
    }
    size_ += n;
    return true;
  }

  bool sync() override { return FlushFileBuffers(file_) || failed(); }
  // The file system keeps its names in its own log.
  bool syncName() override { return true; }
  bool remove() override { return DeleteFileW(widePath(path_).c_str()) || failed(); }
  const std::string& why() const override { return why_; }

 private:
  bool failed() {
    why_ = lastSystemErrorText();
    return false;
  }

  HANDLE file_;
  std::string path_;
  std::uint64_t size_;
  bool created_;
  std::string why_;
};

OpenedJournal failure(JournalOpen status, std::string why = {}) {
  OpenedJournal opened;
  opened.status = status;
  opened.why = std::move(why);
  return opened;
}

OpenedJournal open(const std::string& path, bool write, bool create) {
  const std::wstring wide = widePath(path);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (!exists) {
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
      return failure(JournalOpen::Failed, systemErrorText(static_cast<long>(error)));
    }
    if (!create || error == ERROR_PATH_NOT_FOUND) {
      return create ? failure(JournalOpen::Failed, systemErrorText(static_cast<long>(error)))
                    : failure(JournalOpen::Missing);
    }
  } else if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
    return failure(JournalOpen::NotRegularFile);
  }
  // Shared for reading and writing, so that a second run gets as far as
  // the lock and can say the journal is in use; and for deleting, so that
  // undo can remove it while it holds it.
  HANDLE file = CreateFileW(wide.c_str(), GENERIC_READ | (write ? GENERIC_WRITE : 0),
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            exists || !create ? OPEN_EXISTING : OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (!create && (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)) {
      return failure(JournalOpen::Missing);
    }
    return failure(JournalOpen::Failed, systemErrorText(static_cast<long>(error)));
  }
  const bool created = !exists && GetLastError() != ERROR_ALREADY_EXISTS;
  LARGE_INTEGER size;
  if (GetFileType(file) != FILE_TYPE_DISK) {
    CloseHandle(file);
    return failure(JournalOpen::NotRegularFile);
  }
  OVERLAPPED lockAt = at(kLockedByte);
  if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &lockAt)) {
    const DWORD error = GetLastError();
    CloseHandle(file);
    if (error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING) {
      return failure(JournalOpen::InUse);
    }
    return failure(JournalOpen::Failed, systemErrorText(static_cast<long>(error)));
  }
  if (!GetFileSizeEx(file, &size)) {
    const std::string why = lastSystemErrorText();
    CloseHandle(file);
    return failure(JournalOpen::Failed, why);
  }
  OpenedJournal journal;
  journal.status = JournalOpen::Opened;
  journal.device = std::make_unique<WindowsJournal>(
      file, path, static_cast<std::uint64_t>(size.QuadPart), created);
  return journal;
}

}  // namespace

OpenedJournal openJournal(const std::string& path, bool create) { return open(path, true, create); }

OpenedJournal openJournalToUndo(const std::string& path) { return open(path, false, false); }

}  // namespace vantrel::cli
