#ifndef VANTREL_TESTS_SUPPORT_CRASH_DISK_H_
#define VANTREL_TESTS_SUPPORT_CRASH_DISK_H_

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "journal/journal_device.h"
#include "movie/file_device.h"
#include "tests/support/movie_builder.h"

namespace vantrel::moviekit {

// A disk in memory that holds a movie and its journal, and that a test
// stops at any step: each write, append, sync and removal is one step, and
// from the step the machine stops at on, every such call fails and changes
// nothing. What the disk would hold after that stop keeps what was synced
// and a random part of what was not (crashImage()).
class CrashDisk {
 public:
  explicit CrashDisk(Bytes movie, std::optional<std::string> journal = std::nullopt)
      : movie_(std::move(movie)), durableMovie_(movie_) {
    if (journal) {
      journal_ = *journal;
      durableJournal_ = *journal;
    }
  }

  // The machine stops at step `step` (counted from 0 across both files).
  void stopAt(std::uint64_t step) { stopAt_ = step; }
  std::uint64_t steps() const { return steps_; }
  bool stopped() const { return steps_ > stopAt_; }

  // What each file holds now, as the programs running see it.
  const Bytes& movie() const { return movie_; }
  const std::optional<std::string>& journal() const { return journal_; }
  // What is on stable storage now.
  const Bytes& durableMovie() const { return durableMovie_; }
  const std::optional<std::string>& durableJournal() const { return durableJournal_; }

  // What a restart finds: what was synced, each unsynced movie write kept or
  // lost at random, and of the journal's unsynced appends a random part from
  // their start (a cut last line); a journal whose name never reached the
  // disk may be gone.
  CrashDisk crashImage(std::mt19937& random) const {
    Bytes movie = durableMovie_;
    for (const Write& write : unsynced_) {
      if (random() % 2)
        std::copy(write.bytes.begin(), write.bytes.end(),
                  movie.begin() + static_cast<std::ptrdiff_t>(write.offset));
    }
    std::optional<std::string> journal = durableJournal_;
    if (journal_ && (journal || random() % 2)) {
      std::string kept = journal ? *journal : std::string();
      if (journal_->size() > kept.size() && journal_->compare(0, kept.size(), kept) == 0) {
        kept = journal_->substr(0, kept.size() + random() % (journal_->size() - kept.size() + 1));
      }
      journal = kept;
    }
    return CrashDisk(std::move(movie), std::move(journal));
  }

  std::unique_ptr<FileDevice> openMovie();
  // Called before each write to the movie, to look at the disk then.
  std::function<void(std::uint64_t offset)> beforeMovieWrite;
  // Null when there is no journal and `create` is false.
  std::unique_ptr<JournalDevice> openJournal(bool create);

 private:
  friend class CrashMovie;
  friend class CrashJournal;
  struct Write {
    std::uint64_t offset;
    Bytes bytes;
  };
  // One step: false once the machine has stopped.
  bool step() { return steps_++ < stopAt_; }

  Bytes movie_;
  Bytes durableMovie_;
  std::vector<Write> unsynced_;
  std::optional<std::string> journal_;
  std::optional<std::string> durableJournal_;  // empty while its name is not durable
  bool journalNameDurable_ = true;
  std::uint64_t steps_ = 0;
  std::uint64_t stopAt_ = UINT64_MAX;
};

class CrashMovie final : public FileDevice {
 public:
  explicit CrashMovie(CrashDisk& disk) : disk_(disk) {}
  std::uint64_t size() const override { return disk_.movie_.size(); }
  std::size_t readAt(std::uint64_t offset, unsigned char* out, std::size_t n) override {
    const Bytes& bytes = disk_.movie_;
    if (offset >= bytes.size()) return 0;
    const std::size_t count =
        static_cast<std::size_t>(std::min<std::uint64_t>(n, bytes.size() - offset));
    std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(offset), count, out);
    return count;
  }
  bool writeAt(std::uint64_t offset, const unsigned char* data, std::size_t n) override {
    if (disk_.beforeMovieWrite) disk_.beforeMovieWrite(offset);
    if (!disk_.step() || offset > size() || n > size() - offset) return false;
    std::copy_n(data, n, disk_.movie_.begin() + static_cast<std::ptrdiff_t>(offset));
    disk_.unsynced_.push_back({offset, Bytes(data, data + n)});
    return true;
  }
  bool sync() override {
    if (!disk_.step()) return false;
    disk_.durableMovie_ = disk_.movie_;
    disk_.unsynced_.clear();
    return true;
  }
  bool close() override { return true; }

 private:
  CrashDisk& disk_;
};

class CrashJournal final : public JournalDevice {
 public:
  CrashJournal(CrashDisk& disk, bool created) : disk_(disk), created_(created) {}
  std::uint64_t size() const override { return disk_.journal_->size(); }
  bool created() const override { return created_; }
  std::size_t readAt(std::uint64_t offset, char* out, std::size_t n) override {
    const std::string& text = *disk_.journal_;
    if (offset >= text.size()) return 0;
    const std::size_t count =
        static_cast<std::size_t>(std::min<std::uint64_t>(n, text.size() - offset));
    std::copy_n(text.begin() + static_cast<std::ptrdiff_t>(offset), count, out);
    return count;
  }
  bool append(const char* data, std::size_t n) override {
    if (!disk_.step()) return failed();
    disk_.journal_->append(data, n);
    return true;
  }
  bool sync() override {
    if (!disk_.step()) return failed();
    if (disk_.journalNameDurable_) disk_.durableJournal_ = disk_.journal_;
    syncedTo_ = disk_.journal_->size();
    return true;
  }
  bool syncName() override {
    if (!disk_.step()) return failed();
    disk_.journalNameDurable_ = true;
    disk_.durableJournal_ = disk_.journal_->substr(0, syncedTo_);
    return true;
  }
  bool remove() override {
    if (!disk_.step()) return failed();
    disk_.journal_.reset();
    disk_.durableJournal_.reset();
    return true;
  }
  const std::string& why() const override { return why_; }

 private:
  bool failed() {
    why_ = "the machine stopped";
    return false;
  }
  CrashDisk& disk_;
  bool created_;
  std::uint64_t syncedTo_ = 0;
  std::string why_;
};

inline std::unique_ptr<FileDevice> CrashDisk::openMovie() {
  return std::make_unique<CrashMovie>(*this);
}

inline std::unique_ptr<JournalDevice> CrashDisk::openJournal(bool create) {
  if (journal_) return std::make_unique<CrashJournal>(*this, false);
  if (!create) return nullptr;
  journal_ = std::string();
  journalNameDurable_ = false;
  return std::make_unique<CrashJournal>(*this, true);
}

}  // namespace vantrel::moviekit

#endif  // VANTREL_TESTS_SUPPORT_CRASH_DISK_H_
