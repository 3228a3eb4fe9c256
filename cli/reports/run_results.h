#ifndef VANTREL_CLI_REPORTS_RUN_RESULTS_H_
#define VANTREL_CLI_REPORTS_RUN_RESULTS_H_

#include <initializer_list>
#include <string>
#include <string_view>

#include "journal/journal_undo.h"
#include "movie/walk_result.h"

// How the command-line program ends, and how each movie of a run ended: one
// row a result, with its text, its name in JSON records and its exit code.
namespace vantrel::cli {

enum ExitCode {
  kExitDone = 0,          // every movie ended Done; with --check-rules, no problem found
  kExitNoRules = 1,       // the rule file cannot be opened
  kExitUsage = 2,         // the command line was wrong
  kExitMovieFailed = 3,   // some movie could not be opened, was not valid or not saved, or a
                          // list or directory of movies could not be read
  kExitRuleProblems = 4,  // --check-rules found a problem in the rule file; --derive-rules one
                          // in the movies or the rules
  kExitWriteError = 5,    // standard output could not be written (every movie was still
                          // finished); 1 and 3 go before it
};

// How one movie of a repair or of an undo ended. Each has its row in
// run_results.cpp, in this order.
enum class RunResult {
  Done,               // repaired, read, or (--undo) every fix undone
  CannotOpen,         // not opened: missing, read-only, a directory, a path too long
  NotValid,           // not a movie, or over the walk's budget of element visits
  WriteFailed,        // a fix or an undone fix not written, or the movie not saved
  BackupFailed,       // left as it was: its backup could not be made
  JournalFailed,      // stopped where its journal could not be written
  NoJournal,          // --undo: no journal beside the movie
  CannotReadJournal,  // --undo: the journal could not be read
  NotAllUndone,       // --undo: some fixes were left, so the journal is kept
  JournalKept,        // --undo: all undone, but the journal could not be removed
  JournalInUse,       // left as it was: another run holds its journal
  OutOfMemory,        // memory ran out: the movie may be partly repaired or undone
};

struct ResultRow {
  RunResult result;
  // The result's name in the movie's JSON `result` record.
  const char* name;
  // What follows the movie's path on standard error: a text whose places,
  // "{reason}" and the like, resultText() fills. Empty for Done, which is
  // told on standard output.
  const char* text;
  ExitCode exitCode;
};

const ResultRow& resultRow(RunResult result);

// The result a walk's end stands for, when no safeguard stopped the repair:
// a walk refused its first write only for a backup that could not be made.
RunResult runResultOf(WalkResult result);
// The result an undo's end stands for.
RunResult runResultOf(UndoResult result);

// A place in a result's text and what goes there: {"reason", "No space"}.
struct TextPlace {
  std::string_view name;
  std::string value;
};

// The row's text with each "{name}" replaced by the value given for it. A
// value is put in as it is, so a path that holds braces stays as it is.
std::string resultText(RunResult result, std::initializer_list<TextPlace> places);

}  // namespace vantrel::cli

#endif  // VANTREL_CLI_REPORTS_RUN_RESULTS_H_
