#include "cli/reports/undo_results.h"

namespace vantrel::cli {
namespace {

// In UndoResult's order.
const UndoResultRow kUndoRows[] = {
    {UndoResult::Done, "Done", "", 0},
    {UndoResult::NoJournal, "NoJournal", "no journal: {journal} not found", 3},
    {UndoResult::CannotReadJournal, "CannotReadJournal",
     "cannot read the journal {journal}: {reason}", 3},
    {UndoResult::JournalInUse, "JournalInUse", "the journal {journal} is in use by another run", 3},
    // {reason}: why the movie could not be opened, after the walk's words.
    {UndoResult::CannotOpen, "CannotOpen", "{reason}", 3},
    {UndoResult::WriteFailed, "WriteFailed", "{walk}", 3},
    // {undone}, {left}: "2 fixes", "1 record".
    {UndoResult::NotAllUndone, "NotAllUndone",
     "{undone} undone, {left} not; the journal {journal} is kept", 3},
    {UndoResult::JournalKept, "JournalKept",
     "every fix is undone, but the journal {journal} cannot be removed: {reason}", 3},
    {UndoResult::OutOfMemory, "OutOfMemory",
     "out of memory: the movie may be partly undone; its journal is kept", 3},
};

static_assert(sizeof kUndoRows / sizeof kUndoRows[0] ==
                  static_cast<std::size_t>(UndoResult::OutOfMemory) + 1,
              "one row for each result");

}  // namespace

const UndoResultRow& undoResultRow(UndoResult result) {
  return kUndoRows[static_cast<int>(result)];
}

std::string undoResultText(UndoResult result, std::initializer_list<UndoTextPlace> places) {
  const std::string_view text = undoResultRow(result).text;
  std::string out;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t open = text.find('{', at);
    const std::size_t close = open == std::string_view::npos ? open : text.find('}', open);
    if (close == std::string_view::npos) {
      out.append(text.substr(at));
      break;
    }
    out.append(text.substr(at, open - at));
    const std::string_view name = text.substr(open + 1, close - open - 1);
    for (const UndoTextPlace& place : places) {
      if (place.name == name) out += place.value;
    }
    at = close + 1;
  }
  return out;
}

}  // namespace vantrel::cli
