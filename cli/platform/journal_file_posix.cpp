// Large-file offsets for 32-bit POSIX builds; must come before any include.
#ifndef _FILE_OFFSET_BITS
#define _FILE_OFFSET_BITS 64
#endif

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "cli/platform/file_calls_posix.h"
#include "cli/platform/journal_file.h"
#include "cli/platform/system_error.h"

namespace vantrel::cli {
namespace {

class PosixJournal final : public JournalDevice {
 public:
  PosixJournal(int fd, std::string path, std::uint64_t size, bool created)
      : fd_(fd), path_(std::move(path)), size_(size), created_(created) {}
  ~PosixJournal() override { ::close(fd_); }  // which releases the lock

  std::uint64_t size() const override { return size_; }
  bool created() const override { return created_; }

  std::size_t readAt(std::uint64_t offset, char* out, std::size_t n) override {
    std::size_t done = 0;
    while (done < n) {
      const ssize_t got = retried(
          [&] { return ::pread(fd_, out + done, n - done, static_cast<off_t>(offset + done)); });
      if (got < 0) failed();
      if (got <= 0) break;
      done += static_cast<std::size_t>(got);
    }
    return done;
  }

  bool append(const char* data, std::size_t n) override {
    std::size_t done = 0;
    while (done < n) {
      const ssize_t put = retried([&] { return ::write(fd_, data + done, n - done); });
      if (put <= 0) {
        if (put == 0) errno = ENOSPC;
        size_ += done;
        return failed();
      }
      done += static_cast<std::size_t>(put);
    }
    size_ += n;
    return true;
  }

  // fdatasync also writes the file's new size, which reading it needs.
  bool sync() override {
    return retried([this] { return ::fdatasync(fd_); }) == 0 || failed();
  }
  bool syncName() override { return syncFolderOf(path_) || failed(); }

  void startWriteOut() override {
#ifdef SYNC_FILE_RANGE_WRITE
    ::sync_file_range(fd_, 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
  }

  bool remove() override {
    return (::unlink(path_.c_str()) == 0 && syncFolderOf(path_)) || failed();
  }

  const std::string& why() const override { return why_; }

 private:
  bool failed() {
    why_ = lastSystemErrorText();
    return false;
  }

  int fd_;
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

bool sameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

OpenedJournal open(const std::string& path, bool write, bool create) {
  // A few tries: an undo may remove the journal between our open and our
  // lock, or another run make it between our look and our open.
  for (int attempt = 0; attempt < 8; ++attempt) {
    struct stat info;
    bool exists = ::lstat(path.c_str(), &info) == 0;
    if (!exists && errno != ENOENT) return failure(JournalOpen::Failed, lastSystemErrorText());
    if (exists && !S_ISREG(info.st_mode)) return failure(JournalOpen::NotRegularFile);
    if (!exists && !create) return failure(JournalOpen::Missing);
    // O_NOFOLLOW and O_NONBLOCK for what may be put at the path meanwhile:
    // a link is not followed, and a pipe does not wait for a writer.
    int flags = (write ? O_RDWR | O_APPEND : O_RDONLY) | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
    if (!exists) flags |= O_CREAT | O_EXCL;
    const int fd = retried([&] { return ::open(path.c_str(), flags, 0666); });
    if (fd < 0) {
      if (errno == ELOOP) return failure(JournalOpen::NotRegularFile);
      if (errno == EEXIST || errno == ENOENT) continue;
      return failure(JournalOpen::Failed, lastSystemErrorText());
    }
    struct stat opened;
    if (::fstat(fd, &opened) != 0) {
      const std::string why = lastSystemErrorText();
      ::close(fd);
      return failure(JournalOpen::Failed, why);
    }
    if (!S_ISREG(opened.st_mode)) {
      ::close(fd);
      return failure(JournalOpen::NotRegularFile);
    }
    if (retried([fd] { return ::flock(fd, LOCK_EX | LOCK_NB); }) != 0) {
      const bool held = errno == EWOULDBLOCK;
      const std::string why = lastSystemErrorText();
      ::close(fd);
      return held ? failure(JournalOpen::InUse) : failure(JournalOpen::Failed, why);
    }
    // Locked: the path must still name this file, not one removed meanwhile.
    if (::lstat(path.c_str(), &info) != 0 || !sameFile(info, opened)) {
      ::close(fd);
      continue;
    }
    OpenedJournal journal;
    journal.status = JournalOpen::Opened;
    journal.device = std::make_unique<PosixJournal>(
        fd, path, static_cast<std::uint64_t>(opened.st_size), !exists);
    return journal;
  }
  return failure(JournalOpen::InUse);
}

}  // namespace

OpenedJournal openJournal(const std::string& path, bool create) { return open(path, true, create); }

OpenedJournal openJournalToUndo(const std::string& path) { return open(path, false, false); }

}  // namespace vantrel::cli
