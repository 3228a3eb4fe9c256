#ifndef VANTREL_CLI_REPORTS_SUGGEST_RECORDS_H_
#define VANTREL_CLI_REPORTS_SUGGEST_RECORDS_H_

#include <cstdint>
#include <string>

#include "rulemaking/rule_suggestion.h"

// What --suggest-rules reports: the evidence of each suggestion and its
// problems as text lines (problems in the compilers' form), and both as
// JSON Lines records (each without its line end). The rules themselves are
// written as fix.dat holds them (rulemaking/rule_record.h).
namespace vantrel::cli {

// "'SND ' 12: 4410 in 20 of 800 movies (31 references), 44100 in 780
// (1,212 references); first held by a.qlm, b.qlm, c.qlm", the movies
// being the first that hold the old value.
std::string suggestionEvidenceLine(const SuggestedRule& suggested);
std::string suggestionJson(const SuggestedRule& suggested);

// "more-values", "unwritable", "differs".
const char* suggestProblemKindName(SuggestProblemKind kind);

// "MOVIE:0xOFFSET: KIND: explanation", or for differs
// "FILE:LINE: differs: explanation", `rulesPath` being the rule file.
std::string suggestProblemLine(const SuggestProblem& problem, const std::string& rulesPath);
std::string suggestProblemJson(const SuggestProblem& problem);

// "800 movies read, 57 tags and numbers seen, 3 with more than one value;
// 2 suggestions; 1 problem". `failed` counts the movies that could not be read.
std::string suggestSummaryLine(const SuggestTotals& totals);
std::string suggestSummaryJson(const SuggestTotals& totals, std::uint64_t failed);

// `count` in decimal, its digits in groups of three: "1,212".
std::string groupedCount(std::uint64_t count);

}  // namespace vantrel::cli

#endif  // VANTREL_CLI_REPORTS_SUGGEST_RECORDS_H_
