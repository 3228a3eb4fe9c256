#include "cli/reports/run_records.h"

#include <cstdio>
#include <string_view>

#include "cli/reports/cli_messages.h"
#include "cli/reports/console_sink.h"
#include "cli/reports/json_writer.h"
#include "journal/fix_record.h"

namespace vantrel::cli {
namespace {

// The columns of a --references line.
constexpr char kReferenceColumns[] = "%-10s %6s %-6s %7s  %-6s %11s %11s  %-13s  %s";

std::string quotedTag(const char tag[4]) { return "'" + printableTag(tag) + "'"; }

std::int64_t asInteger(std::uint64_t count) { return static_cast<std::int64_t>(count); }

}  // namespace

const char* outcomeName(ReferenceOutcome outcome) {
  switch (outcome) {
    case ReferenceOutcome::Fix:
      return "fix";
    case ReferenceOutcome::AlreadyFixed:
      return "already-fixed";
    case ReferenceOutcome::OtherValue:
      return "other-value";
    case ReferenceOutcome::NoRule:
      break;
  }
  return "no-rule";
}

std::string chunkTagText(ChunkTag tag) {
  return {static_cast<char>(tag >> 24), static_cast<char>(tag >> 16), static_cast<char>(tag >> 8),
          static_cast<char>(tag)};
}

std::string referenceHeading() {
  char line[160];
  std::snprintf(line, sizeof line, kReferenceColumns, "offset", "chunk", "", "element", "tag",
                "number", "value", "outcome", "rule");
  return line;
}

std::string describeReference(const ReadReference& reference) {
  const std::string chunkTag = chunkTagText(reference.chunkTag);
  const std::string element = reference.element ? std::to_string(*reference.element) : "-";
  const std::string rule = reference.rule ? "line " + std::to_string(reference.rule->line) : "-";
  char line[256];
  std::snprintf(line, sizeof line, kReferenceColumns, hexOffset(reference.valueOffset).c_str(),
                std::to_string(reference.chunk).c_str(), quotedTag(chunkTag.data()).c_str(),
                element.c_str(), quotedTag(reference.tag).c_str(),
                asRuleNumber(reference.number).c_str(), asRuleNumber(reference.value).c_str(),
                outcomeName(referenceOutcome(reference.value, reference.rule)), rule.c_str());
  return line;
}

std::string summaryText(const RunTotals& totals, bool dryRun) {
  return counted(totals.movies, "movie", "movies") + ": " + std::to_string(totals.done) +
         (dryRun ? " read, " : " repaired, ") + std::to_string(totals.failed) + " failed; " +
         counted(totals.fixes, "problem", "problems") +
         (dryRun ? " would be fixed" : " found and fixed");
}

std::string undoSummaryText(const RunTotals& totals, bool dryRun) {
  return counted(totals.movies, "movie", "movies") + ": " + std::to_string(totals.done) +
         (dryRun ? " read, " : " undone, ") + std::to_string(totals.failed) + " failed; " +
         counted(totals.fixes, "fix", "fixes") + (dryRun ? " would be undone" : " undone");
}

std::string referenceJson(const std::string& moviePath, const ReadReference& reference) {
  JsonObject record;
  record.string("type", "reference")
      .string("movie", moviePath)
      .integer("offset", asInteger(reference.valueOffset))
      .integer("chunk", reference.chunk)
      .latin1String("chunkTag", chunkTagText(reference.chunkTag));
  if (reference.element) {
    record.integer("element", *reference.element);
  } else {
    record.null("element");
  }
  record.latin1String("tag", std::string_view(reference.tag, 4))
      .integer("number", signedWord(reference.number))
      .integer("value", signedWord(reference.value))
      .string("outcome", outcomeName(referenceOutcome(reference.value, reference.rule)));
  if (reference.rule) {
    record.integer("line", reference.rule->line);
  } else {
    record.null("line");
  }
  return record.text();
}

std::string fixJson(const std::string& moviePath, const FixedReference& fix) {
  // The journal's own format, so that both hold the same record.
  std::string record;
  FixRecordFormat(jsonString(moviePath)).append(record, fix);
  return record;
}

std::string writeFailedJson(const std::string& moviePath, std::uint64_t valueOffset) {
  return JsonObject()
      .string("type", "write-failed")
      .string("movie", moviePath)
      .integer("offset", asInteger(valueOffset))
      .text();
}

std::string resultJson(const std::string& moviePath, RunResult result, std::uint64_t fixes,
                       bool dryRun, const std::string& error) {
  JsonObject record;
  record.string("type", "result")
      .string("movie", moviePath)
      .string("result", resultRow(result).name)
      .integer("fixes", asInteger(fixes))
      .boolean("dryRun", dryRun);
  if (result != RunResult::Done) record.string("error", error);
  return record.text();
}

std::string summaryJson(const RunTotals& totals) {
  return JsonObject()
      .string("type", "summary")
      .integer("movies", asInteger(totals.movies))
      .integer("done", asInteger(totals.done))
      .integer("failed", asInteger(totals.failed))
      .integer("fixes", asInteger(totals.fixes))
      .text();
}

}  // namespace vantrel::cli
