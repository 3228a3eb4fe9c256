#include "cli/commands/derive_rules.h"

#include <memory>
#include <utility>
#include <vector>

#include "cli/commands/append_checks.h"
#include "cli/files/file_names.h"
#include "cli/files/movie_pairs.h"
#include "cli/files/rule_search.h"
#include "cli/reports/cli_messages.h"
#include "cli/reports/derive_records.h"
#include "fixrules/fix_loader.h"
#include "fixrules/rule_messages.h"
#include "movie/file_device.h"
#include "movie/walk_messages.h"
#include "rulemaking/rule_derivation.h"
#include "rulemaking/rule_record.h"

namespace vantrel::cli {
namespace {

// Opens each pair of movies, hands it to the derivation, and prints what
// the derivation finds as it comes.
class DeriveRun final : public MoviePairVisitor, public DeriveListener {
 public:
  DeriveRun(const CliEnvironment& environment, bool json, std::string rulesPath,
            const FixTable& existing)
      : environment_(environment),
        json_(json),
        rulesPath_(std::move(rulesPath)),
        derivation_(existing, *this) {}

  void pair(const std::string& good, const std::string& damaged) override {
    std::unique_ptr<FileDevice> goodDevice, damagedDevice;
    if (!openPair(good, damaged, goodDevice, damagedDevice)) return;
    const PairWalks walks =
        derivation_.compare(*goodDevice, *damagedDevice, goodPath_, damagedPath_);
    goodDevice->close();
    damagedDevice->close();
    if (walks.good.result != WalkResult::Done) failed(good, walkFailureText(walks.good));
    if (walks.bad && walks.bad->result != WalkResult::Done) {
      failed(damaged, walkFailureText(*walks.bad));
    }
    if (walks.good.result == WalkResult::Done && walks.bad &&
        walks.bad->result == WalkResult::Done) {
      compared_.emplace_back(good, damaged);
    }
  }

  void unpaired(const std::string& path, const std::string& missing) override {
    ++extraProblems_;
    environment_.err << unpairedLine(path, missing) << '\n';
    if (json_) environment_.out << unpairedJson(path) << '\n';
  }

  void directoryGiven(const std::string& path) override { failed(path, deriveDirectoryText()); }

  void unreadable(const std::string& directory, const std::string& why) override {
    environment_.out.flush();
    // Not a movie's report: the program's own message.
    environment_.err << environment_.programName << ": " << printablePath(directory) << ": "
                     << unreadableDirectoryText(why) << '\n';
    failedMovies_ = true;
  }

  void rule(const DerivedRule& derived) override {
    environment_.out << (json_ ? derivedRuleJson(derived) + '\n' : ruleRecordText(derived.rule));
  }

  void problem(const DeriveProblem& found) override {
    const MovieLabel& partner = found.inGood ? damagedPath_ : goodPath_;
    environment_.err << deriveProblemLine(found, partner ? *partner : std::string(), rulesPath_)
                     << '\n';
    if (json_) environment_.out << deriveProblemJson(found) << '\n';
  }

  // A problem found outside the derivation, such as a rule file that stops
  // being readable before the new rules would be appended.
  void countProblem() { ++extraProblems_; }

  int finish() {
    derivation_.finish();
    if (derivation_.totals().problems + extraProblems_ == 0 && !failedMovies_) verifyRules();
    DeriveTotals totals = derivation_.totals();
    totals.problems += extraProblems_;
    environment_.out.flush();
    if (json_) environment_.out << deriveSummaryJson(totals) << '\n' << std::flush;
    environment_.err << environment_.programName << ": " << deriveSummaryLine(totals) << '\n';
    if (failedMovies_) return kExitMovieFailed;
    const bool promiseKept = totals.problems == 0 && totals.repaired == totals.differing;
    return promiseKept ? kExitDone : kExitRuleProblems;
  }

 private:
  // Opens both movies of a pair read-only, and labels what is found in them
  // by their paths; false, with each failure told, when either cannot be.
  bool openPair(const std::string& good, const std::string& damaged,
                std::unique_ptr<FileDevice>& goodDevice,
                std::unique_ptr<FileDevice>& damagedDevice) {
    OpenFailure goodFailure, damagedFailure;
    goodDevice = openFileDevice(good, OpenMode::ReadOnly, &goodFailure);
    damagedDevice = openFileDevice(damaged, OpenMode::ReadOnly, &damagedFailure);
    if (!goodDevice) failed(good, cannotOpenText(openFailureText(goodFailure)));
    if (!damagedDevice) failed(damaged, cannotOpenText(openFailureText(damagedFailure)));
    if (!goodDevice || !damagedDevice) return false;
    goodPath_ = std::make_shared<const std::string>(good);
    damagedPath_ = std::make_shared<const std::string>(damaged);
    return true;
  }

  // The promise of exit code 0 is proven, not inferred: each damaged movie,
  // repaired in memory with the rules, must be its good copy.
  void verifyRules() {
    for (const auto& [good, damaged] : compared_) {
      std::unique_ptr<FileDevice> goodDevice, damagedDevice;
      if (!openPair(good, damaged, goodDevice, damagedDevice)) continue;
      derivation_.verify(*goodDevice, *damagedDevice, damagedPath_);
      goodDevice->close();
      damagedDevice->close();
    }
    compared_.clear();
  }

  static std::string walkFailureText(const WalkOutcome& outcome) {
    if (outcome.result == WalkResult::NotValid) return notValidText(outcome, true);
    return resultMessage(outcome.result).text;
  }

  void failed(const std::string& path, const std::string& why) {
    environment_.out.flush();
    environment_.err << printablePath(path) << ": " << why << '\n';
    failedMovies_ = true;
  }

  const CliEnvironment& environment_;
  bool json_;
  std::string rulesPath_;
  RuleDerivation derivation_;
  MovieLabel goodPath_;
  MovieLabel damagedPath_;
  std::uint64_t extraProblems_ = 0;
  bool failedMovies_ = false;
  std::vector<std::pair<std::string, std::string>> compared_;  // pairs whose walks were Done
};

}  // namespace

int runDeriveRules(const CliOptions& options, const CliEnvironment& environment) {
  RuleSearch existing;
  if (!readRulesToAppendTo(options, environment, existing)) return kExitNoRules;
  const std::string rulesPath = options.rulesPath.value_or(kRuleFileName);
  DeriveRun run(environment, options.json, rulesPath, existing.load.table);
  // Rules appended after a record that stops the reading, or after a
  // Ctrl-Z that ends the file, would never be read.
  if (tellWhatStopsAppending(existing.load, rulesPath, options.json, environment)) {
    run.countProblem();
  }
  visitMoviePairs(options.movies, options.recursive, run);
  return run.finish();
}

}  // namespace vantrel::cli
