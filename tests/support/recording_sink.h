#ifndef VANTREL_TESTS_SUPPORT_RECORDING_SINK_H_
#define VANTREL_TESTS_SUPPORT_RECORDING_SINK_H_

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

  int begins = 0;
  std::uint32_t total = 0;
  std::uint64_t steps = 0;
  std::vector<FixedReference> fixes;
  std::vector<std::uint64_t> failedWrites;
};

}  // namespace vantrel::moviekit

#endif  // VANTREL_TESTS_SUPPORT_RECORDING_SINK_H_
