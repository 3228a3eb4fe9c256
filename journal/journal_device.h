#ifndef VANTREL_JOURNAL_JOURNAL_DEVICE_H_
#define VANTREL_JOURNAL_JOURNAL_DEVICE_H_

#include <cstddef>
#include <cstdint>
#include <string>

namespace vantrel {

// The file under a movie's journal, as FileDevice is the file under a
// movie: it is only ever appended to, never truncated or replaced. The
// platform's file sits behind it; tests put one in memory here, to stop it
// at any step. Each call says whether it worked; why() then says why not,
// in the system's words. Whoever holds the device holds the journal's lock.
class JournalDevice {
 public:
  virtual ~JournalDevice() = default;

  // Where the file ends now.
  virtual std::uint64_t size() const = 0;
  // Whether opening it made the file: its name is then not durable until
  // syncName().
  virtual bool created() const = 0;

  // Reads up to `n` bytes at `offset`; how many arrived.
  virtual std::size_t readAt(std::uint64_t offset, char* out, std::size_t n) = 0;
  // Writes the `n` bytes at the end of the file.
  virtual bool append(const char* data, std::size_t n) = 0;
  // Puts all that was appended on stable storage.
  virtual bool sync() = 0;
  // Puts the file's name in its folder on stable storage.
  virtual bool syncName() = 0;
  // Starts writing out what was appended so far without waiting, so that
  // the next sync has less to wait for; only a hint.
  virtual void startWriteOut() {}
  // Removes the file from its folder, durably.
  virtual bool remove() = 0;

  virtual const std::string& why() const = 0;
};

}  // namespace vantrel

#endif  // VANTREL_JOURNAL_JOURNAL_DEVICE_H_
