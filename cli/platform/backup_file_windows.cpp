#include <windows.h>

#include <vector>

#include "cli/files/backup_file.h"
#include "cli/files/file_names.h"
#include "cli/platform/system_error.h"
#include "cli/platform/wide_path.h"

namespace vantrel::cli {
namespace {

std::string reasonOf(DWORD error) { return systemErrorText(static_cast<long>(error)); }

bool copyBytes(HANDLE from, HANDLE to) {
  std::vector<char> buffer(kCopyBufferSize);
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(from, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) {
      return false;
    }
    if (got == 0) return true;
    DWORD put = 0;
    if (!WriteFile(to, buffer.data(), got, &put, nullptr)) return false;
    if (put != got) {
      SetLastError(ERROR_DISK_FULL);
      return false;
    }
  }
}

// A new file beside `target`, made only if no file has its name yet.
HANDLE createTemporary(const std::string& target, std::wstring& temporary) {
  for (unsigned attempt = 0;; ++attempt) {
    temporary = widePath(temporaryNameBeside(target, GetCurrentProcessId(), attempt));
    HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS ||
        attempt + 1 == kTemporaryAttempts) {
      return file;
    }
  }
}

// Through the wide functions, which take paths longer than MAX_PATH.
std::optional<std::string> copyFile(const std::string& sourcePath, const std::string& targetPath) {
  const std::wstring source = widePath(sourcePath);
  const std::wstring target = widePath(targetPath);
  if (GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES) {
    return reasonOf(ERROR_FILE_EXISTS);  // known before a byte is copied
  }
  HANDLE from = CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (from == INVALID_HANDLE_VALUE) return reasonOf(GetLastError());
  std::wstring temporary;
  HANDLE to = createTemporary(targetPath, temporary);
  if (to == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    CloseHandle(from);
    return reasonOf(error);
  }
  bool copied = copyBytes(from, to) && FlushFileBuffers(to);
  DWORD error = copied ? 0 : GetLastError();
  CloseHandle(from);
  if (!CloseHandle(to) && copied) {
    copied = false;
    error = GetLastError();
  }
  // Without MOVEFILE_REPLACE_EXISTING the move fails when `target` exists.
  if (copied && !MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
    copied = false;
    error = GetLastError();
  }
  if (!copied) {
    DeleteFileW(temporary.c_str());
    return reasonOf(error);
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> copyToNewFile(const std::string& source, const std::string& target) {
  return copyFile(source, target);
}

}  // namespace vantrel::cli
