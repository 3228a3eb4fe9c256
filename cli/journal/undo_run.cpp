#include "cli/journal/undo_run.h"

#include <memory>

#include "cli/reports/cli_messages.h"
#include "cli/reports/console_sink.h"
#include "cli/files/file_names.h"
#include "cli/journal/fix_record.h"
#include "cli/journal/journal_file.h"
#include "cli/journal/reverse_lines.h"
#include "cli/reports/json_writer.h"
#include "cli/files/movie_sources.h"
#include "cli/reports/run_records.h"
#include "movie/file_device.h"
#include "movie/fix_undo.h"
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

// The undo of one movie: what it did, and what went wrong on the way.
struct MovieUndo {
  std::uint64_t undone = 0;
  std::uint64_t changed = 0;     // words changed since, left as they are
  std::uint64_t unwritten = 0;   // old values that could not be written
  std::uint64_t unreadable = 0;  // lines that are not fix records
  bool journalUnreadable = false;
  bool saved = true;
};

class UndoRun final : public MovieVisitor {
 public:
  UndoRun(const CliOptions& options, const CliEnvironment& environment, ReportStream& report)
      : options_(options), environment_(environment), report_(report) {}

  void movie(const std::string& moviePath) override {
    report_.nextMovie();
    const std::string journalPath = moviePath + *options_.journalSuffix;
    bool missing = false;
    std::string why;
    auto journal = JournalFile::openToRead(journalPath, missing, why);
    if (!journal) {
      ended(moviePath, missing ? "NoJournal" : "CannotReadJournal", 0,
            missing ? noJournalText(journalPath) : unreadableJournalText(journalPath, why));
      return;
    }
    OpenFailure openFailure;
    auto device = openFileDevice(
        moviePath, options_.dryRun ? OpenMode::ReadOnly : OpenMode::ReadWrite, &openFailure);
    if (!device) {
      ended(moviePath, "CannotOpen", 0, cannotOpenText(openFailureText(openFailure)));
      return;
    }
    MovieStream file(std::move(device));
    MovieUndo undo = undoRecords(moviePath, journalPath, *journal, file);
    // The movie is on the disk before the result is told.
    undo.saved = file.close();
    finishMovie(moviePath, journalPath, std::move(journal), undo);
  }

  void directoryGiven(const std::string& path) override {
    report_.nextMovie();
    ended(path, "CannotOpen", 0, isDirectoryText());
  }

  void pathTooLong(const std::string& start) override {
    report_.nextMovie();
    ended(shortenedPath(start), "CannotOpen", 0, pathTooLongText());
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
  MovieUndo undoRecords(const std::string& moviePath, const std::string& journalPath,
                        JournalFile& journal, MovieStream& file) {
    MovieUndo undo;
    ReverseLines lines(journal);
    std::string line;
    while (lines.previous(line)) {
      FixedReference fix{};
      const FixRecordRead read = readFixRecord(line, fix);
      if (read == FixRecordRead::Cut) continue;  // its run wrote none of its fixes
      if (read == FixRecordRead::Malformed) {
        ++undo.unreadable;
        told(moviePath, notAFixRecordText(lines.lineStart()));
        continue;
      }
      std::uint32_t held = 0;
      switch (undoFix(file, fix, options_.dryRun, held)) {
        case UndoStep::Restored:
          ++undo.undone;
          restored(moviePath, fix);
          break;
        case UndoStep::AlreadyOld:
          break;
        case UndoStep::Changed:
          ++undo.changed;
          told(moviePath, valueChangedText(hexOffset(fix.valueOffset), asRuleNumber(held),
                                           asRuleNumber(fix.newValue)));
          break;
        case UndoStep::OtherReference:
          ++undo.changed;
          told(moviePath, referenceChangedText(hexOffset(fix.valueOffset), printableTag(fix.tag),
                                               asRuleNumber(fix.number)));
          break;
        case UndoStep::PastTheEnd:
          ++undo.changed;
          told(moviePath, pastTheEndText(hexOffset(fix.valueOffset)));
          break;
        case UndoStep::WriteFailed:
          ++undo.unwritten;
          told(moviePath, notWrittenBackText(hexOffset(fix.valueOffset)));
          if (report_.json()) report_.line(writeFailedJson(moviePath, fix.valueOffset));
          break;
      }
    }
    undo.journalUnreadable = lines.failed();
    if (undo.journalUnreadable) told(moviePath, unreadableJournalText(journalPath, journal.why()));
    return undo;
  }

  void restored(const std::string& moviePath, const FixedReference& fix) {
    if (report_.json()) {
      report_.line(undoJson(moviePath, fix));
    } else if (options_.list) {
      FixedReference back = fix;
      std::swap(back.oldValue, back.newValue);
      report_.line(printablePath(moviePath) + ": " + describeFix(back));
    }
  }

  void finishMovie(const std::string& moviePath, const std::string& journalPath,
                   std::unique_ptr<JournalFile> journal, const MovieUndo& undo) {
    journal.reset();
    if (!undo.saved || undo.unwritten > 0) {
      ended(moviePath, "WriteFailed", undo.undone, resultMessage(WalkResult::WriteFailed).text);
    } else if (undo.changed > 0 || undo.unreadable > 0 || undo.journalUnreadable) {
      ended(moviePath, "NotAllUndone", undo.undone,
            notAllUndoneText(undo.undone, undo.changed + undo.unreadable, journalPath));
    } else if (options_.dryRun) {
      ended(moviePath, "Done", undo.undone, "");
    } else if (const std::string why = removeJournal(journalPath); !why.empty()) {
      ended(moviePath, "JournalKept", undo.undone, unremovableJournalText(journalPath, why));
    } else {
      ended(moviePath, "Done", undo.undone, "");
    }
  }

  // Tells the end of one movie: on stdout when `why` is empty, else on stderr.
  void ended(const std::string& moviePath, const char* result, std::uint64_t undone,
             const std::string& why) {
    ++totals_.movies;
    totals_.fixes += undone;
    if (why.empty()) {
      ++totals_.done;
      if (!report_.json()) {
        report_.line(undoneText(printablePath(moviePath), undone, options_.dryRun));
      }
    } else {
      ++totals_.failed;
      exitCode_ = kExitMovieFailed;
      told(moviePath, why);
    }
    if (report_.json()) report_.line(resultJson(moviePath, result, undone, options_.dryRun, why));
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
