#include "cli/reports/rule_problem_report.h"

#include "cli/reports/console_sink.h"
#include "cli/files/file_names.h"
#include "cli/reports/json_writer.h"

namespace vantrel::cli {
namespace {

const char* badRecordText(BadRecord why) {
  switch (why) {
    case BadRecord::NoDash:
      return "expected '-'";
    case BadRecord::NoNumber:
      return "a number expected";
    case BadRecord::CutShort:
      return "cut short by the end of the file";
  }
  return "";
}

const char* fieldText(RuleField field) {
  switch (field) {
    case RuleField::Number:
      return "the number";
    case RuleField::OldValue:
      return "the old value";
    case RuleField::NewValue:
      return "the new value";
  }
  return "";
}

const char* fieldJsonName(RuleField field) {
  switch (field) {
    case RuleField::Number:
      return "number";
    case RuleField::OldValue:
      return "oldValue";
    case RuleField::NewValue:
      return "newValue";
  }
  return "";
}

std::uint32_t fieldValue(const FixRule& rule, RuleField field) {
  switch (field) {
    case RuleField::Number:
      return rule.number;
    case RuleField::OldValue:
      return rule.oldValue;
    case RuleField::NewValue:
      return rule.newValue;
  }
  return 0;
}

std::string tagAndNumber(const FixRule& rule) {
  return "tag '" + printableTag(rule.tag) + "' and number " + asRuleNumber(rule.number);
}

}  // namespace

const char* ruleProblemKindName(RuleProblemKind kind) {
  switch (kind) {
    case RuleProblemKind::Malformed:
      return "malformed";
    case RuleProblemKind::Shadowed:
      return "shadowed";
    case RuleProblemKind::NoChange:
      return "no-change";
    case RuleProblemKind::OddTag:
      return "odd-tag";
    case RuleProblemKind::Wrapped:
      return "wrapped";
  }
  return "";
}

std::string ruleProblemExplanation(const RuleProblem& problem, const FixTable& rules) {
  if (problem.kind == RuleProblemKind::Malformed) {
    return std::string(badRecordText(problem.badRecord)) +
           "; the rules from this line on are not used";
  }
  const FixRule& rule = rules.rule(problem.ruleIndex);
  switch (problem.kind) {
    case RuleProblemKind::Shadowed:
      return "same " + tagAndNumber(rule) + " as the rule on line " +
             std::to_string(problem.earlierLine) + ", which is the one used; this rule never is";
    case RuleProblemKind::NoChange:
      return "old and new value are both " + asRuleNumber(rule.oldValue) +
             ", so the rule \"fixes\" the same reference on every run";
    case RuleProblemKind::OddTag:
      return "the tag '" + printableTag(rule.tag) +
             "' holds a control character; a tag written a character short takes the next "
             "character, such as a line end, as its own";
    case RuleProblemKind::Wrapped:
      return std::string(fieldText(problem.field)) +
             " lies outside -2147483648..4294967295 and is kept modulo 2^32, as " +
             asRuleNumber(fieldValue(rule, problem.field));
    case RuleProblemKind::Malformed:
      break;
  }
  return "";
}

std::string ruleProblemLine(const std::string& rulesPath, const RuleProblem& problem,
                            const FixTable& rules) {
  return printablePath(rulesPath) + ":" + std::to_string(problem.line) + ": " +
         ruleProblemKindName(problem.kind) + ": " + ruleProblemExplanation(problem, rules);
}

std::string ruleProblemJson(const std::string& rulesPath, const RuleProblem& problem,
                            const FixTable& rules) {
  JsonObject record;
  record.string("type", "rule-problem")
      .string("file", rulesPath)
      .integer("line", problem.line)
      .string("kind", ruleProblemKindName(problem.kind));
  if (problem.kind == RuleProblemKind::Shadowed) record.integer("earlierLine", problem.earlierLine);
  if (problem.kind != RuleProblemKind::Malformed) {
    const FixRule& rule = rules.rule(problem.ruleIndex);
    record.latin1String("tag", std::string_view(rule.tag, 4))
        .integer("number", signedWord(rule.number));
    if (problem.kind == RuleProblemKind::Wrapped) {
      record.string("field", fieldJsonName(problem.field))
          .integer("kept", signedWord(fieldValue(rule, problem.field)));
    }
  }
  return record.string("message", ruleProblemExplanation(problem, rules)).text();
}

}  // namespace vantrel::cli
