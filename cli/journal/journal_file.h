#ifndef VANTREL_CLI_JOURNAL_JOURNAL_FILE_H_
#define VANTREL_CLI_JOURNAL_JOURNAL_FILE_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace vantrel::cli {

// A movie's journal on the disk. It is only ever appended to: never
// truncated, never replaced. Each call says whether it worked; why() then
// tells why not, in the system's words.
class JournalFile {
 public:
  // Opens the journal at `path` to append to it and read it back, creating
  // it when there is none. Null when it cannot be opened; `why` says why.
  static std::unique_ptr<JournalFile> openToAppend(const std::string& path, std::string& why);
  // Opens the journal at `path` to read it. Null when it cannot be opened;
  // `missing` says whether that is because there is no such file.
  static std::unique_ptr<JournalFile> openToRead(const std::string& path, bool& missing,
                                                 std::string& why);

  ~JournalFile();
  JournalFile(const JournalFile&) = delete;
  JournalFile& operator=(const JournalFile&) = delete;

  // Whether opening made the file: then sync() syncs its folder too, once.
  bool created() const { return created_; }
  // Where the file ends now.
  std::uint64_t size() const { return size_; }

  // Writes the `n` bytes of `data` at the end of the file.
  bool append(const char* data, std::size_t n);
  // Reads up to `n` bytes at `offset`; how many arrived.
  std::size_t readAt(std::uint64_t offset, char* out, std::size_t n);
  // Puts all that was appended on stable storage, and a new file's name in
  // its folder.
  bool sync();
  // Starts writing out what was appended so far, without waiting for it,
  // so that a large batch's sync later has less left to wait for. Only a
  // hint: where the system has no such call, it does nothing.
  void startWriteOut();

  const std::string& why() const { return why_; }

 private:
  JournalFile(std::intptr_t handle, std::string path, std::uint64_t size, bool created)
      : handle_(handle), path_(std::move(path)), size_(size), created_(created) {}
  // The journal for the file just opened as `handle`, which is closed
  // again, and nullptr returned with `why`, when its size cannot be had or
  // it is not a regular file.
  static std::unique_ptr<JournalFile> adopt(std::intptr_t handle, const std::string& path,
                                            bool created, std::string& why);
  void failed();

  std::intptr_t handle_;  // a descriptor on POSIX, a HANDLE on Windows
  std::string path_;
  std::uint64_t size_;
  bool created_;
  bool folderSynced_ = false;
  std::string why_;
};

// Removes the journal at `path` and makes its removal durable (on POSIX, by
// syncing its folder). Empty on success; otherwise why it failed.
std::string removeJournal(const std::string& path);

}  // namespace vantrel::cli

#endif  // VANTREL_CLI_JOURNAL_JOURNAL_FILE_H_
