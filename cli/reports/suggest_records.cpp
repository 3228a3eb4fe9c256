#include "cli/reports/suggest_records.h"

#include <vector>

#include "cli/files/file_names.h"
#include "cli/reports/console_sink.h"
#include "cli/reports/json_writer.h"

namespace vantrel::cli {
namespace {

std::string name(const FixRule& rule) {
  return "'" + printableTag(rule.tag) + "' " + asRuleNumber(rule.number);
}

std::string change(std::uint32_t from, std::uint32_t to) {
  return asRuleNumber(from) + " -> " + asRuleNumber(to);
}

std::string groupedCounted(std::uint64_t count, const char* one, const char* many) {
  return groupedCount(count) + " " + (count == 1 ? one : many);
}

// "44100 in 780 (1,212 references)"
std::string heldIn(const ValueCount& value) {
  return asRuleNumber(value.value) + " in " + groupedCount(value.movies) + " (" +
         groupedCounted(value.references, "reference", "references") + ")";
}

std::vector<std::string> examplePaths(const ValueCount& value) {
  std::vector<std::string> paths;
  for (std::size_t i = 0; i < value.exampleCount(); ++i) paths.push_back(*value.examples[i]);
  return paths;
}

// Where a value is first held: its first example movie and the offset of
// its first value word there.
std::string firstPlace(const ValueCount& value) {
  const std::string movie = value.examples[0] ? *value.examples[0] : std::string();
  return printablePath(movie) + ":" + hexOffset(value.firstOffset);
}

std::int64_t asInteger(std::uint64_t count) { return static_cast<std::int64_t>(count); }

}  // namespace

std::string groupedCount(std::uint64_t count) {
  std::string digits = std::to_string(count);
  for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ",");
  return digits;
}

std::string suggestionEvidenceLine(const SuggestedRule& suggested) {
  const ValueCount& old = suggested.old;
  std::string line = name(suggested.rule) + ": " + asRuleNumber(old.value) + " in " +
                     groupedCount(old.movies) + " of " +
                     groupedCounted(suggested.movies, "movie", "movies") + " (" +
                     groupedCounted(old.references, "reference", "references") + "), " +
                     heldIn(suggested.common) + "; first held by ";
  const std::vector<std::string> paths = examplePaths(old);
  for (std::size_t i = 0; i < paths.size(); ++i) {
    line += (i == 0 ? "" : ", ") + printablePath(paths[i]);
  }
  return line;
}

std::string suggestionJson(const SuggestedRule& suggested) {
  return JsonObject()
      .string("type", "suggestion")
      .latin1String("tag", std::string_view(suggested.rule.tag, 4))
      .integer("number", signedWord(suggested.rule.number))
      .integer("old", signedWord(suggested.rule.oldValue))
      .integer("new", signedWord(suggested.rule.newValue))
      .integer("movies", asInteger(suggested.movies))
      .integer("old_movies", asInteger(suggested.old.movies))
      .integer("new_movies", asInteger(suggested.common.movies))
      .integer("old_references", asInteger(suggested.old.references))
      .integer("new_references", asInteger(suggested.common.references))
      .strings("examples", examplePaths(suggested.old))
      .text();
}

const char* suggestProblemKindName(SuggestProblemKind kind) {
  switch (kind) {
    case SuggestProblemKind::MoreValues:
      return "more-values";
    case SuggestProblemKind::Unwritable:
      return "unwritable";
    case SuggestProblemKind::Differs:
      break;
  }
  return "differs";
}

std::string suggestProblemLine(const SuggestProblem& problem, const std::string& rulesPath) {
  const FixRule& suggested = problem.suggestion.rule;
  const std::string kind = suggestProblemKindName(problem.kind);
  const std::string rule = change(suggested.oldValue, suggested.newValue);
  switch (problem.kind) {
    case SuggestProblemKind::MoreValues:
      return firstPlace(problem.next) + ": " + kind + ": " + name(suggested) + " holds " +
             groupedCounted(problem.furtherValues, "more value", "more values") + " besides " +
             rule + ", the most held " + heldIn(problem.next) +
             " from here on; fix.dat consults only the first rule for a tag and number, so "
             "suggest again once the movies are repaired";
    case SuggestProblemKind::Unwritable:
      return firstPlace(problem.suggestion.old) + ": " + kind + ": " + name(suggested) +
             " would get " + rule +
             ", but fix.dat cannot hold this tag (a Ctrl-Z ends the file, and a carriage return "
             "before a line feed reads as one line end)";
    case SuggestProblemKind::Differs:
      break;
  }
  return printablePath(rulesPath) + ":" + std::to_string(problem.rule.line) + ": " + kind + ": " +
         name(suggested) + ": the archive suggests " + rule + ", but this rule, " +
         change(problem.rule.oldValue, problem.rule.newValue) + ", comes first for it";
}

std::string suggestProblemJson(const SuggestProblem& problem) {
  JsonObject record;
  record.string("type", "suggest-problem")
      .string("kind", suggestProblemKindName(problem.kind))
      .latin1String("tag", std::string_view(problem.suggestion.rule.tag, 4))
      .integer("number", signedWord(problem.suggestion.rule.number));
  if (problem.kind == SuggestProblemKind::Differs) record.integer("line", problem.rule.line);
  return record.text();
}

std::string suggestSummaryLine(const SuggestTotals& totals) {
  return groupedCounted(totals.movies, "movie", "movies") + " read, " +
         groupedCounted(totals.keys, "tag and number", "tags and numbers") + " seen, " +
         groupedCount(totals.varied) + " with more than one value; " +
         groupedCounted(totals.suggestions, "suggestion", "suggestions") + "; " +
         groupedCounted(totals.problems, "problem", "problems");
}

std::string suggestSummaryJson(const SuggestTotals& totals, std::uint64_t failed) {
  return JsonObject()
      .string("type", "summary")
      .integer("movies", asInteger(totals.movies))
      .integer("failed", asInteger(failed))
      .integer("keys", asInteger(totals.keys))
      .integer("varied_keys", asInteger(totals.varied))
      .integer("suggestions", asInteger(totals.suggestions))
      .integer("covered", asInteger(totals.covered))
      .integer("problems", asInteger(totals.problems))
      .text();
}

}  // namespace vantrel::cli
