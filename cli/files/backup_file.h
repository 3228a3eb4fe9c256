#ifndef VANTREL_CLI_FILES_BACKUP_FILE_H_
#define VANTREL_CLI_FILES_BACKUP_FILE_H_

#include <cstddef>
#include <optional>
#include <string>

namespace vantrel::cli {

// Copies the file at `source` whole to the new file `target`, never over an
// existing one. The copy is written under a temporary name beside `target`
// (created exclusively), synced, and only then given the name `target` by
// an operation that fails when that name exists; on POSIX the folder is
// synced too. So `target` never names a partial copy, whenever the program
// is stopped. A copy that cannot be made whole is removed. Empty on
// success; otherwise why it failed, in the system's words. Made in
// cli/platform/backup_file_posix.cpp and backup_file_windows.cpp.
std::optional<std::string> copyToNewFile(const std::string& source, const std::string& target);

// How both copy: in blocks of this many bytes, and trying this many names
// for the temporary copy before giving up.
inline constexpr std::size_t kCopyBufferSize = std::size_t{1} << 18;
inline constexpr unsigned kTemporaryAttempts = 100;

}  // namespace vantrel::cli

#endif  // VANTREL_CLI_FILES_BACKUP_FILE_H_
