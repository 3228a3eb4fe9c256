#include "fixrules/rule_check.h"

namespace vantrel {
namespace {

bool hasControlByte(const char tag[4]) {
  for (int i = 0; i < 4; ++i) {
    const auto byte = static_cast<unsigned char>(tag[i]);
    if (byte < 0x20 || byte == 0x7F) return true;
  }
  return false;
}

}  // namespace

std::optional<RuleProblem> malformedProblem(const FixLoad& load) {
  if (!load.badLine) return std::nullopt;
  RuleProblem problem{RuleProblemKind::Malformed, *load.badLine};
  problem.ruleIndex = load.table.size();
  problem.badRecord = load.badRecord;
  return problem;
}

std::vector<RuleProblem> findRuleProblems(const FixLoad& load) {
  std::vector<RuleProblem> problems;
  const std::vector<FixRule>& rules = load.table.rules();
  auto wrapped = load.wrapped.begin();
  for (std::size_t i = 0; i < rules.size(); ++i) {
    const FixRule& rule = rules[i];
    const auto problem = [&problems, &rule, i](RuleProblemKind kind) -> RuleProblem& {
      problems.push_back(RuleProblem{kind, rule.line});
      problems.back().ruleIndex = i;
      return problems.back();
    };
    // The table answers with the first rule for the key: the one consulted.
    const std::size_t consulted = *load.table.find(rule.tag, rule.number);
    if (consulted != i) problem(RuleProblemKind::Shadowed).earlierLine = rules[consulted].line;
    if (rule.oldValue == rule.newValue) problem(RuleProblemKind::NoChange);
    if (hasControlByte(rule.tag)) problem(RuleProblemKind::OddTag);
    for (; wrapped != load.wrapped.end() && wrapped->ruleIndex == i; ++wrapped) {
      problem(RuleProblemKind::Wrapped).field = wrapped->field;
    }
  }
  if (auto malformed = malformedProblem(load)) problems.push_back(*malformed);
  return problems;
}

}  // namespace vantrel
