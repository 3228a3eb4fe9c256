#include "cli/reports/derive_records.h"

#include <algorithm>

#include "cli/files/file_names.h"
#include "cli/reports/cli_messages.h"
#include "cli/reports/console_sink.h"
#include "cli/reports/json_writer.h"

namespace vantrel::cli {
namespace {

std::string name(const DeriveProblem& problem) {
  return "'" + printableTag(problem.tag) + "' " + asRuleNumber(problem.number);
}

std::string change(std::uint32_t from, std::uint32_t to) {
  return asRuleNumber(from) + " -> " + asRuleNumber(to);
}

std::string pathOf(const Site& site) { return site.movie ? *site.movie : std::string(); }

// The movie of `site` as text reports show paths.
std::string shownPath(const Site& site) { return printablePath(pathOf(site)); }

// Where `other` lies, seen from `here`: its offset, after its movie's path
// when that is another movie.
std::string siteFrom(const Site& here, const Site& other) {
  const std::string offset = hexOffset(other.offset);
  return pathOf(here) == pathOf(other) ? offset : shownPath(other) + ":" + offset;
}

std::string placeText(ReferencePlace place) {
  const auto element = elementOf(place);
  return "chunk " + std::to_string(chunkOf(place)) +
         (element ? ", element " + std::to_string(*element) : std::string());
}

// Bytes that differ where no rule can change them, seen from the damaged movie.
std::string bytesDifferText(const ByteDifference& difference, const std::string& partner) {
  const std::string good = printablePath(partner);
  if (difference.unreadable) return "the bytes here could not be read to compare with " + good;
  if (difference.afterRules) {
    return "repaired by the rules, this movie would still differ from " + good +
           " here, as a fix changes what the repair reads after it";
  }
  if (difference.offset == std::min(difference.goodSize, difference.badSize)) {
    return "this movie is " + counted(difference.badSize, "byte", "bytes") + " long and " + good +
           " " + std::to_string(difference.goodSize) + ", which no rule can change";
  }
  return "this byte differs from " + good +
         " outside the value word of any reference, where no rule can change it";
}

std::string explanation(const DeriveProblem& problem, const std::string& partner,
                        const std::string& rulesPath) {
  const std::string needs =
      name(problem) + " needs " + change(problem.badValue, problem.goodValue) + " here";
  switch (problem.kind) {
    case DeriveProblemKind::Layout:
      if (problem.bytes) return bytesDifferText(*problem.bytes, partner);
      return name(problem) + " in " + placeText(problem.place) +
             " has no reference of that tag and number at the same offset in " +
             printablePath(partner);
    case DeriveProblemKind::Conflict:
      if (problem.otherIsKept) {
        return needs + ", but " + asRuleNumber(problem.otherBad) + " is right at " +
               siteFrom(problem.site, problem.otherSite);
      }
      return needs + " and " + change(problem.otherBad, problem.otherGood) + " at " +
             siteFrom(problem.site, problem.otherSite);
    case DeriveProblemKind::Shadowed: {
      const std::string rule = "the rule on line " + std::to_string(problem.rule.line) + " of " +
                               printablePath(rulesPath) + ", " +
                               change(problem.rule.oldValue, problem.rule.newValue) + ",";
      if (problem.badValue == problem.goodValue) {
        return name(problem) + " is right here as " + asRuleNumber(problem.goodValue) + ", but " +
               rule + " comes first and changes it";
      }
      return needs + ", but " + rule + " comes first";
    }
    case DeriveProblemKind::Unwritable:
      break;
  }
  return needs +
         ", but fix.dat cannot hold this tag (a Ctrl-Z ends the file, and a carriage "
         "return before a line feed reads as one line end)";
}

}  // namespace

const char* deriveProblemKindName(DeriveProblemKind kind) {
  switch (kind) {
    case DeriveProblemKind::Layout:
      return "layout";
    case DeriveProblemKind::Conflict:
      return "conflict";
    case DeriveProblemKind::Shadowed:
      return "shadowed";
    case DeriveProblemKind::Unwritable:
      break;
  }
  return "unwritable";
}

std::string deriveProblemLine(const DeriveProblem& problem, const std::string& partner,
                              const std::string& rulesPath) {
  return shownPath(problem.site) + ":" + hexOffset(problem.site.offset) + ": " +
         deriveProblemKindName(problem.kind) + ": " + explanation(problem, partner, rulesPath);
}

std::string deriveProblemJson(const DeriveProblem& problem) {
  JsonObject record;
  record.string("type", "derive-problem").string("kind", deriveProblemKindName(problem.kind));
  if (problem.bytes) {
    record.null("tag").null("number");  // no reference is at fault
  } else {
    record.latin1String("tag", std::string_view(problem.tag, 4))
        .integer("number", signedWord(problem.number));
  }
  record.string("movie", pathOf(problem.site))
      .integer("offset", static_cast<std::int64_t>(problem.site.offset));
  if (problem.kind == DeriveProblemKind::Shadowed) record.integer("line", problem.rule.line);
  return record.text();
}

std::string unpairedLine(const std::string& path, const std::string& missing) {
  return printablePath(path) + ": " + kUnpairedKindName + ": no movie at " +
         printablePath(missing) + " to pair it with";
}

std::string unpairedJson(const std::string& path) {
  return JsonObject()
      .string("type", "derive-problem")
      .string("kind", kUnpairedKindName)
      .null("tag")
      .null("number")
      .string("movie", path)
      .null("offset")
      .text();
}

std::string derivedRuleJson(const DerivedRule& rule) {
  return JsonObject()
      .string("type", "rule")
      .latin1String("tag", std::string_view(rule.rule.tag, 4))
      .integer("number", signedWord(rule.rule.number))
      .integer("old", signedWord(rule.rule.oldValue))
      .integer("new", signedWord(rule.rule.newValue))
      .integer("references", static_cast<std::int64_t>(rule.references))
      .string("movie", pathOf(rule.first))
      .integer("offset", static_cast<std::int64_t>(rule.first.offset))
      .text();
}

std::string deriveSummaryLine(const DeriveTotals& totals) {
  return counted(totals.compared, "reference", "references") + " compared, " +
         std::to_string(totals.differing) + " differ; " + counted(totals.rules, "rule", "rules") +
         " written; " + counted(totals.problems, "problem", "problems");
}

std::string deriveSummaryJson(const DeriveTotals& totals) {
  const auto asInteger = [](std::uint64_t count) { return static_cast<std::int64_t>(count); };
  return JsonObject()
      .string("type", "summary")
      .integer("compared", asInteger(totals.compared))
      .integer("differing", asInteger(totals.differing))
      .integer("rules", asInteger(totals.rules))
      .integer("problems", asInteger(totals.problems))
      .text();
}

namespace {

constexpr char kCtrlZKindName[] = "ctrl-z";
constexpr char kCtrlZExplanation[] =
    "a Ctrl-Z byte ends the file here, so rules appended to it would never be read";

}  // namespace

std::string ctrlZLine(const std::string& rulesPath, long long line) {
  return printablePath(rulesPath) + ":" + std::to_string(line) + ": " + kCtrlZKindName + ": " +
         kCtrlZExplanation;
}

std::string ctrlZJson(const std::string& rulesPath, long long line) {
  return JsonObject()
      .string("type", "rule-problem")
      .string("file", rulesPath)
      .integer("line", line)
      .string("kind", kCtrlZKindName)
      .string("message", kCtrlZExplanation)
      .text();
}

std::string deriveDirectoryText() {
  return "is a directory; with -r, --derive-rules pairs two directories";
}

}  // namespace vantrel::cli
