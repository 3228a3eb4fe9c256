#ifndef VANTREL_CLI_PLATFORM_JOURNAL_FILE_H_
#define VANTREL_CLI_PLATFORM_JOURNAL_FILE_H_

#include <memory>
#include <string>

#include "journal/journal_device.h"

namespace vantrel::cli {

// How opening a movie's journal went.
enum class JournalOpen {
  Opened,
  Missing,         // there is no file at the path (only when not asked to create one)
  InUse,           // another run holds its lock
  NotRegularFile,  // a symbolic link, a pipe, a device or a folder lies at the path
  Failed,          // the system refused: `why` says why
};

struct OpenedJournal {
  JournalOpen status = JournalOpen::Failed;
  std::unique_ptr<JournalDevice> device;  // with Opened: locked while it lives
  std::string why;
};

// Opens the journal at `path` to append to it and read it back, making it
// when `create` and there is none; locks it for as long as the device
// lives. The path is never followed through a symbolic link, and nothing
// but a regular file is opened.
OpenedJournal openJournal(const std::string& path, bool create);

// Opens the journal at `path` to read it and, once all is undone, remove
// it; locked, and checked, as openJournal() does.
OpenedJournal openJournalToUndo(const std::string& path);

}  // namespace vantrel::cli

#endif  // VANTREL_CLI_PLATFORM_JOURNAL_FILE_H_
