#ifndef VANTREL_TESTS_SUPPORT_RECORDING_SINK_H_
#define VANTREL_TESTS_SUPPORT_RECORDING_SINK_H_

#include <optional>
#include <vector>

#include "movie/progress_sink.h"

namespace vantrel::moviekit {

// Keeps every notification of a walk for the test to look at.
class RecordingSink : public ProgressSink {
 public:
  void begin(std::uint32_t chunkCount) override {
    ++begins;
    total = chunkCount;
  }
  void step() override { ++steps; }
  void referenceFixed(const FixedReference& fix) override { fixes.push_back(fix); }
  void writeFailed(std::uint64_t valueOffset) override { failedWrites.push_back(valueOffset); }
  void referenceRead(const ReadReference& reference) override {
    // The rule lives only for the call: keep a copy.
    references.push_back(
        {reference, reference.rule ? std::optional<FixRule>(*reference.rule) : std::nullopt});
  }

  struct Read {
    ReadReference reference;  // its rule pointer is stale once the call returns
    std::optional<FixRule> rule;
  };

  int begins = 0;
  std::uint32_t total = 0;
  std::uint64_t steps = 0;
  std::vector<FixedReference> fixes;
  std::vector<std::uint64_t> failedWrites;
  std::vector<Read> references;
};

}  // namespace vantrel::moviekit

#endif  // VANTREL_TESTS_SUPPORT_RECORDING_SINK_H_
