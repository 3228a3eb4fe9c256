#include "cli/reports/run_results.h"

namespace vantrel::cli {
namespace {

// In RunResult's order. "{walk}" in a text is the walk's own words for how
// the movie ended (movie/walk_messages.h), the words Vantrel.exe shows.
const ResultRow kResultRows[] = {
    {RunResult::Done, "Done", "", kExitDone},
    // {reason}: openFailureText(), or what stopped the path before it was opened.
    {RunResult::CannotOpen, "CannotOpen", "{walk} ({reason})", kExitMovieFailed},
    // {budget}: empty, or what a walk over its budget did (notValidText()).
    {RunResult::NotValid, "NotValid", "{walk}{budget}", kExitMovieFailed},
    {RunResult::WriteFailed, "WriteFailed", "{walk}", kExitMovieFailed},
    // {walk}: nothing was written.
    {RunResult::BackupFailed, "BackupFailed", "Cannot make the backup {backup}: {reason}. {walk}",
     kExitMovieFailed},
    // {walk}: nothing was written, or the movie is partly repaired.
    {RunResult::JournalFailed, "JournalFailed",
     "Cannot write the journal {journal}: {reason}. {walk}", kExitMovieFailed},
    {RunResult::NoJournal, "NoJournal", "no journal: {journal} not found", kExitMovieFailed},
    {RunResult::CannotReadJournal, "CannotReadJournal",
     "cannot read the journal {journal}: {reason}", kExitMovieFailed},
    // {undone}, {left}: "2 fixes", "1 record".
    {RunResult::NotAllUndone, "NotAllUndone",
     "{undone} undone, {left} not; the journal {journal} is kept", kExitMovieFailed},
    {RunResult::JournalKept, "JournalKept",
     "every fix is undone, but the journal {journal} cannot be removed: {reason}",
     kExitMovieFailed},
    {RunResult::JournalInUse, "JournalInUse", "the journal {journal} is in use by another run",
     kExitMovieFailed},
    {RunResult::OutOfMemory, "OutOfMemory", "out of memory: the movie may be partly {done}",
     kExitMovieFailed},
};

static_assert(sizeof kResultRows / sizeof kResultRows[0] ==
                  static_cast<std::size_t>(RunResult::OutOfMemory) + 1,
              "a row for each result, in its order");

const std::string* valueOf(std::string_view name, std::initializer_list<TextPlace> places) {
  for (const TextPlace& place : places) {
    if (place.name == name) return &place.value;
  }
  return nullptr;
}

}  // namespace

const ResultRow& resultRow(RunResult result) { return kResultRows[static_cast<int>(result)]; }

RunResult runResultOf(WalkResult result) {
  switch (result) {
    case WalkResult::Done:
      return RunResult::Done;
    case WalkResult::CannotOpen:
      return RunResult::CannotOpen;
    case WalkResult::NotValid:
      return RunResult::NotValid;
    case WalkResult::WriteFailed:
      return RunResult::WriteFailed;
    case WalkResult::WriteRefused:
      break;
  }
  return RunResult::BackupFailed;
}

RunResult runResultOf(UndoResult result) {
  switch (result) {
    case UndoResult::Done:
      return RunResult::Done;
    case UndoResult::NoJournal:
      return RunResult::NoJournal;
    case UndoResult::CannotReadJournal:
      return RunResult::CannotReadJournal;
    case UndoResult::JournalInUse:
      return RunResult::JournalInUse;
    case UndoResult::CannotOpen:
      return RunResult::CannotOpen;
    case UndoResult::WriteFailed:
      return RunResult::WriteFailed;
    case UndoResult::NotAllUndone:
      return RunResult::NotAllUndone;
    case UndoResult::JournalKept:
      return RunResult::JournalKept;
    case UndoResult::OutOfMemory:
      break;
  }
  return RunResult::OutOfMemory;
}

std::string resultText(RunResult result, std::initializer_list<TextPlace> places) {
  const std::string_view text = resultRow(result).text;
  std::string filled;
  std::size_t from = 0;
  while (from < text.size()) {
    const std::size_t open = text.find('{', from);
    const std::size_t close = open == std::string_view::npos ? open : text.find('}', open);
    if (close == std::string_view::npos) break;
    filled.append(text, from, open - from);
    const std::string* value = valueOf(text.substr(open + 1, close - open - 1), places);
    if (value) {
      filled += *value;
    } else {
      filled.append(text, open, close + 1 - open);
    }
    from = close + 1;
  }
  filled.append(text, from, std::string_view::npos);
  return filled;
}

}  // namespace vantrel::cli
