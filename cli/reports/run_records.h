#ifndef VANTREL_CLI_REPORTS_RUN_RECORDS_H_
#define VANTREL_CLI_REPORTS_RUN_RECORDS_H_

#include <cstdint>
#include <string>

#include "cli/reports/run_results.h"
#include "movie/progress_sink.h"
#include "movie/walk_result.h"

// What a run over movies reports, as text lines and as JSON Lines records
// (each without its line end).
namespace vantrel::cli {

// "fix", "already-fixed", "other-value" or "no-rule".
const char* outcomeName(ReferenceOutcome outcome);

// The four characters of a chunk tag as they read: "GGFR".
std::string chunkTagText(ChunkTag tag);

// The --references text: a heading, then one line per reference in
// columns that line up as long as tags are printable and offsets below
// 4 GiB.
std::string referenceHeading();
std::string describeReference(const ReadReference& reference);

// What a run over more than one movie ends with: how many movies there were,
// how many ended well and how many failed, and the problems fixed.
struct RunTotals {
  std::uint64_t movies = 0;
  std::uint64_t done = 0;
  std::uint64_t failed = 0;
  std::uint64_t fixes = 0;
};
std::string summaryText(const RunTotals& totals, bool dryRun);
// The same for --undo, where `fixes` counts the fixes undone.
std::string undoSummaryText(const RunTotals& totals, bool dryRun);

std::string referenceJson(const std::string& moviePath, const ReadReference& reference);
std::string fixJson(const std::string& moviePath, const FixedReference& fix);
std::string writeFailedJson(const std::string& moviePath, std::uint64_t valueOffset);
// `error`, why the movie failed, is written for every result but Done.
std::string resultJson(const std::string& moviePath, RunResult result, std::uint64_t fixes,
                       bool dryRun, const std::string& error);
std::string summaryJson(const RunTotals& totals);

}  // namespace vantrel::cli

#endif  // VANTREL_CLI_REPORTS_RUN_RECORDS_H_
