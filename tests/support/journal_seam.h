#ifndef VANTREL_TESTS_SUPPORT_JOURNAL_SEAM_H_
#define VANTREL_TESTS_SUPPORT_JOURNAL_SEAM_H_

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "journal/fix_record.h"
#include "journal/group_commit.h"
#include "journal/journal_appender.h"
#include "journal/journal_device.h"

namespace vantrel::moviekit {

// The seam a journaled repair has, as the command line makes it: each batch
// appended to the journal and synced before it is written. `journal` is
// opened at the first batch, as the command line makes a journal only then;
// `batches` keeps what each batch held; `meanwhile`, when set, runs before
// each batch is written, as another program would.
class JournalSeam final : public BatchSeam {
 public:
  explicit JournalSeam(std::function<std::unique_ptr<JournalDevice>()> open)
      : open_(std::move(open)) {}

  bool beforeBatch(const std::vector<FixedReference>& fixes) override {
    if (!device_) {
      device_ = open_();
      appender_ = std::make_unique<JournalAppender>(*device_, format_);
    }
    if (!appender_->appendSynced(fixes)) return false;
    batches.push_back(fixes);
    if (meanwhile) meanwhile();
    return true;
  }

  std::vector<std::vector<FixedReference>> batches;
  std::function<void()> meanwhile;

 private:
  std::function<std::unique_ptr<JournalDevice>()> open_;
  FixRecordFormat format_{"\"m.qlm\""};
  std::unique_ptr<JournalDevice> device_;
  std::unique_ptr<JournalAppender> appender_;
};

}  // namespace vantrel::moviekit

#endif  // VANTREL_TESTS_SUPPORT_JOURNAL_SEAM_H_
