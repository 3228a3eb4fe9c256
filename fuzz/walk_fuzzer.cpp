// fuzz_walk: any bytes as a movie, with a few rules drawn from the same
// input (see walk_input.h). The walk over the movie in memory must agree
// with the plain model of it in everything it shows: result, count, the
// fixes it reports and the bytes it leaves. The size never changes, every
// changed byte lies in a value word the model fixes and holds the model's
// value, and a second walk over the result agrees with the model again and,
// when nothing the first walk wrote was read by it for another purpose and
// no rule rewrites a value with itself, fixes nothing more.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "fuzz/walk_input.h"
#include "movie/movie_walk.h"
#include "tests/support/memory_device.h"
#include "tests/support/model_walk.h"
#include "tests/support/recording_sink.h"

namespace vantrel::fuzz {
namespace {

using moviekit::Bytes;
using moviekit::ModelWalk;

[[noreturn]] void fail(const char* what, std::uint64_t a = 0, std::uint64_t b = 0) {
  std::fprintf(stderr, "fuzz_walk: %s (%llu, %llu)\n", what, static_cast<unsigned long long>(a),
               static_cast<unsigned long long>(b));
  std::abort();
}

void expect(bool holds, const char* what, std::uint64_t a = 0, std::uint64_t b = 0) {
  if (!holds) fail(what, a, b);
}

bool inFixedWord(const ModelWalk& model, std::uint64_t offset) {
  for (const moviekit::ModelFix& fix : model.fixes) {
    if (offset >= fix.valueOffset && offset - fix.valueOffset < 4) return true;
  }
  return false;
}

// Walks `bytes`, which hold `before`, in place, checks the walk against the
// model of the same walk, and returns the model.
ModelWalk walkAndCompare(const Bytes& before, Bytes& bytes, const std::vector<FixRule>& rules,
                         bool dryRun) {
  const ModelWalk model = moviekit::modelWalk(before, rules, dryRun);

  moviekit::RecordingSink sink;
  MovieStream stream(std::make_unique<moviekit::MemoryDevice>(bytes));
  WalkOptions options;
  options.dryRun = dryRun;
  options.reportReferences = true;
  const WalkOutcome outcome = walkMovie(stream, FixTable(rules), sink, options);

  expect(bytes.size() == before.size(), "the size changed", before.size(), bytes.size());
  // A block at a time, so that a movie of a megabyte costs little.
  constexpr std::size_t kBlock = 4096;
  const bool changed = bytes != before;
  for (std::size_t block = 0; changed && block < bytes.size(); block += kBlock) {
    const std::size_t length = std::min(kBlock, bytes.size() - block);
    if (std::memcmp(bytes.data() + block, before.data() + block, length) == 0) continue;
    for (std::size_t i = block; i < block + length; ++i) {
      if (bytes[i] == before[i]) continue;
      expect(inFixedWord(model, i), "a byte outside every fixed value word changed", i, bytes[i]);
      expect(bytes[i] == model.bytes[i], "a fixed value word holds another value", i, bytes[i]);
    }
  }
  expect(bytes == model.bytes, "a fix the model makes is missing");
  expect(outcome.result == model.result, "the result differs from the model's",
         static_cast<std::uint64_t>(outcome.result), static_cast<std::uint64_t>(model.result));
  expect(outcome.fixCount == model.fixCount, "the fix count differs from the model's",
         outcome.fixCount, model.fixCount);

  expect(sink.begins == (model.begun ? 1 : 0), "begin() called a wrong number of times",
         static_cast<std::uint64_t>(sink.begins));
  expect(sink.total == model.chunkTotal, "begin() was given a wrong total", sink.total,
         model.chunkTotal);
  expect(sink.steps == model.steps, "step() called a wrong number of times", sink.steps,
         model.steps);
  expect(outcome.overBudget == model.overBudget,
         "the budget of element visits ended the walk otherwise than in the model",
         static_cast<std::uint64_t>(outcome.overBudget),
         static_cast<std::uint64_t>(model.overBudget));
  expect(sink.failedWrites.empty(), "a write to memory failed");
  expect(sink.fixes.size() == model.fixes.size(), "the fixes reported differ in number",
         sink.fixes.size(), model.fixes.size());
  for (std::size_t i = 0; i < sink.fixes.size(); ++i) {
    const FixedReference& got = sink.fixes[i];
    const moviekit::ModelFix& want = model.fixes[i];
    expect(got.valueOffset == want.valueOffset && std::memcmp(got.tag, want.tag.data(), 4) == 0 &&
               got.number == want.number && got.oldValue == want.oldValue &&
               got.newValue == want.newValue,
           "a fix reported differs from the model's", i, got.valueOffset);
  }
  expect(sink.references.size() == model.references.size(), "the references read differ in number",
         sink.references.size(), model.references.size());
  for (std::size_t i = 0; i < sink.references.size(); ++i) {
    const ReadReference& got = sink.references[i].reference;
    const moviekit::ModelReference& want = model.references[i];
    const std::optional<FixRule>& rule = sink.references[i].rule;
    expect(got.valueOffset == want.valueOffset && got.chunk == want.chunk &&
               got.element == want.element && std::memcmp(got.tag, want.tag.data(), 4) == 0 &&
               got.number == want.number && got.value == want.value &&
               rule.has_value() == want.rule.has_value() &&
               (!rule || rule->line == rules[*want.rule].line),
           "a reference read differs from the model's", i, got.valueOffset);
  }
  return model;
}

bool oldAndNewDiffer(const std::vector<FixRule>& rules) {
  for (const FixRule& rule : rules) {
    if (rule.oldValue == rule.newValue) return false;
  }
  return true;
}

}  // namespace
}  // namespace vantrel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vantrel;
  // Kept from one input to the next, as decodeWalkInput explains.
  static fuzz::WalkInput input;
  static moviekit::Bytes bytes;
  static moviekit::Bytes once;
  fuzz::decodeWalkInput(data, size, input);
  bytes.assign(input.movie.begin(), input.movie.end());
  const moviekit::ModelWalk first =
      fuzz::walkAndCompare(input.movie, bytes, input.rules, input.dryRun);
  // A walk that wrote nothing leaves a movie whose second walk is the first
  // again.
  if (input.dryRun || first.result != WalkResult::Done || first.fixes.empty()) return 0;

  once.assign(bytes.begin(), bytes.end());
  const moviekit::ModelWalk second = fuzz::walkAndCompare(once, bytes, input.rules, false);
  if (fuzz::oldAndNewDiffer(input.rules) &&
      moviekit::patchesTouchNothingElseRead(input.movie, input.rules, first)) {
    fuzz::expect(second.fixCount == 0, "a second walk found more to fix", second.fixCount);
    fuzz::expect(bytes == once, "a second walk changed the movie");
  }
  return 0;
}
