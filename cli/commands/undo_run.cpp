#include "cli/commands/undo_run.h"

#include <memory>
#include <new>

#include "cli/files/file_names.h"
#include "cli/files/movie_sources.h"
#include "cli/platform/journal_file.h"
#include "cli/reports/cli_messages.h"
#include "cli/reports/console_sink.h"
#include "cli/reports/json_writer.h"
#include "cli/reports/run_records.h"
#include "cli/reports/run_results.h"
#include "journal/journal_undo.h"
#include "movie/file_device.h"
#include "movie/walk_messages.h"

namespace vantrel::cli {
namespace {

std::string undoJson(const std::string& moviePath, const FixedReference& fix) {
  return JsonObject()
      .string("type", "undo")
      .string("movie", moviePath)
      .integer("offset", static_cast<std::int64_t>(fix.valueOffset))
      .latin1String("tag", std::string_view(fix.tag, 4))
      .integer("number", signedWord(fix.number))
      .integer("from", signedWord(fix.newValue))
      .integer("to", signedWord(fix.oldValue))
      .text();
}

class UndoRun final : public MovieVisitor {
 public:
  UndoRun(const CliOptions& options, const CliEnvironment& environment, ReportStream& report)
      : options_(options), environment_(environment), report_(report) {}

  void movie(const std::string& moviePath) override {
    report_.nextMovie();
    try {
      undoOne(moviePath);
    } catch (const std::bad_alloc&) {
      ended(moviePath, UndoResult::OutOfMemory, 0,
            resultText(RunResult::OutOfMemory, {{"done", "undone"}}));
    }
  }

  void directoryGiven(const std::string& path) override {
    report_.nextMovie();
    ended(path, UndoResult::CannotOpen, 0, isDirectoryText());
  }

  void pathTooLong(const std::string& start) override {
    report_.nextMovie();
    ended(shortenedPath(start), UndoResult::CannotOpen, 0, pathTooLongText());
  }

  void unreadable(const std::string& path, const std::string& why, bool isList) override {
    told(path, isList ? unreadableListText(why) : unreadableDirectoryText(why));
    exitCode_ = kExitMovieFailed;
  }

  int finish() {
    if (report_.json() || totals_.movies > 1) {
      report_.nextMovie();
      report_.line(report_.json() ? summaryJson(totals_)
                                  : undoSummaryText(totals_, options_.dryRun));
    }
    report_.stream().flush();
    return exitCode_;
  }

 private:
  // What the undo of one movie meets, told as it goes.
  class Listener final : public UndoListener {
   public:
    Listener(UndoRun& run, const std::string& moviePath) : run_(run), moviePath_(moviePath) {}

    void restored(const FixedReference& fix) override {
      if (run_.report_.json()) {
        run_.report_.line(undoJson(moviePath_, fix));
      } else if (run_.options_.list) {
        run_.report_.line(printablePath(moviePath_) + ": " + describeFix(reversed(fix)));
      }
    }
    void changedSince(const FixedReference& fix, WordWrite found, std::uint32_t held) override {
      const std::string offset = hexOffset(fix.valueOffset);
      switch (found) {
        case WordWrite::OtherReference:
          run_.told(moviePath_,
                    referenceChangedText(offset, printableTag(fix.tag), asRuleNumber(fix.number)));
          break;
        case WordWrite::PastTheEnd:
          run_.told(moviePath_, pastTheEndText(offset));
          break;
        default:
          run_.told(moviePath_,
                    valueChangedText(offset, asRuleNumber(held), asRuleNumber(fix.newValue)));
          break;
      }
    }
    void notWrittenBack(const FixedReference& fix) override {
      run_.told(moviePath_, notWrittenBackText(hexOffset(fix.valueOffset)));
      if (run_.report_.json()) run_.report_.line(writeFailedJson(moviePath_, fix.valueOffset));
    }
    void damagedLine(std::uint64_t lineStart) override {
      run_.told(moviePath_, notAFixRecordText(lineStart));
    }

   private:
    UndoRun& run_;
    const std::string& moviePath_;
  };

  void undoOne(const std::string& moviePath) {
    const std::string journalPath = moviePath + *options_.journalSuffix;
    OpenedJournal journal = openJournalToUndo(journalPath);
    switch (journal.status) {
      case JournalOpen::Opened:
        break;
      case JournalOpen::Missing:
        return ended(moviePath, UndoResult::NoJournal, 0,
                     resultText(RunResult::NoJournal, {{"journal", journalPath}}));
      case JournalOpen::InUse:
        return ended(moviePath, UndoResult::JournalInUse, 0,
                     resultText(RunResult::JournalInUse, {{"journal", journalPath}}));
      case JournalOpen::NotRegularFile:
      case JournalOpen::Failed: {
        const std::string why = journal.status == JournalOpen::Failed
                                    ? journal.why
                                    : openFailureText(OpenFailure{OpenProblem::NotRegularFile, 0});
        return ended(
            moviePath, UndoResult::CannotReadJournal, 0,
            resultText(RunResult::CannotReadJournal, {{"journal", journalPath}, {"reason", why}}));
      }
    }
    OpenFailure openFailure;
    auto movie = openFileDevice(
        moviePath, options_.dryRun ? OpenMode::ReadOnly : OpenMode::ReadWrite, &openFailure);
    if (!movie) {
      return ended(moviePath, UndoResult::CannotOpen, 0,
                   cannotOpenText(openFailureText(openFailure)));
    }
    Listener listener(*this, moviePath);
    const UndoOutcome outcome =
        undoJournal(*journal.device, std::move(movie), listener, options_.dryRun);
    journal.device.reset();  // its lock with it
    if (outcome.journalUnreadable) {
      told(moviePath, resultText(RunResult::CannotReadJournal,
                                 {{"journal", journalPath}, {"reason", outcome.why}}));
    }
    std::string why;
    switch (outcome.result) {
      case UndoResult::WriteFailed:
        why = resultText(runResultOf(outcome.result),
                         {{"walk", resultMessage(WalkResult::WriteFailed).text}});
        break;
      case UndoResult::NotAllUndone:
        why = resultText(runResultOf(outcome.result),
                         {{"undone", counted(outcome.undone, "fix", "fixes")},
                          {"left", counted(outcome.notUndone, "record", "records")},
                          {"journal", journalPath}});
        break;
      case UndoResult::JournalKept:
        why = resultText(runResultOf(outcome.result),
                         {{"journal", journalPath}, {"reason", outcome.why}});
        break;
      default:
        break;
    }
    ended(moviePath, outcome.result, outcome.undone, why);
  }

  // Tells the end of one movie: on stdout when it is Done, else `why` on stderr.
  void ended(const std::string& moviePath, UndoResult result, std::uint64_t undone,
             const std::string& why) {
    const ResultRow& row = resultRow(runResultOf(result));
    ++totals_.movies;
    totals_.fixes += undone;
    if (result == UndoResult::Done) {
      ++totals_.done;
      if (!report_.json()) {
        report_.line(undoneText(printablePath(moviePath), undone, options_.dryRun));
      }
    } else {
      ++totals_.failed;
      if (row.exitCode > exitCode_) exitCode_ = row.exitCode;
      told(moviePath, why);
    }
    if (report_.json()) {
      report_.line(resultJson(moviePath, runResultOf(result), undone, options_.dryRun, why));
    }
  }

  // One line on stderr; paths in it are shown printable, so that it stays
  // one line.
  void told(const std::string& moviePath, const std::string& why) {
    report_.stream().flush();  // what came before it on stdout, first
    environment_.err << printablePath(moviePath) << ": " << printablePath(why) << '\n';
  }

  const CliOptions& options_;
  const CliEnvironment& environment_;
  ReportStream& report_;
  RunTotals totals_;
  int exitCode_ = kExitDone;
};

}  // namespace

int runUndo(const CliOptions& options, const CliEnvironment& environment) {
  CliOptions undoOptions = options;
  if (!undoOptions.journalSuffix) undoOptions.journalSuffix = kDefaultJournalSuffix;
  ReportStream report(environment.out, options.json);
  UndoRun run(undoOptions, environment, report);
  visitMovies(undoOptions, environment.in, run);
  return run.finish();
}

}  // namespace vantrel::cli
