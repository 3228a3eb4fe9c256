#ifndef VANTREL_CLI_REPORTS_UNDO_RESULTS_H_
#define VANTREL_CLI_REPORTS_UNDO_RESULTS_H_

#include <initializer_list>
#include <string>
#include <string_view>

#include "journal/journal_undo.h"

namespace vantrel::cli {

// How one movie's undo ended, one row a result: its name in the movie's
// JSON `result` record, what follows the movie's path on standard error (a
// text whose places, "{journal}" and the like, undoResultText() fills;
// empty for Done, told on standard output), and the exit code it asks for.
struct UndoResultRow {
  UndoResult result;
  const char* name;
  const char* text;
  int exitCode;  // 0, or 3: a movie failed
};

const UndoResultRow& undoResultRow(UndoResult result);

// A place in a result's text and what goes there: {"reason", "No space"}.
struct UndoTextPlace {
  std::string_view name;
  std::string value;
};

// The row's text with each "{name}" replaced by the value given for it; a
// value is put in as it is, so a path that holds braces stays as it is.
std::string undoResultText(UndoResult result, std::initializer_list<UndoTextPlace> places);

}  // namespace vantrel::cli

#endif  // VANTREL_CLI_REPORTS_UNDO_RESULTS_H_
