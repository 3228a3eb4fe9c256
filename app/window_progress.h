#ifndef VANTREL_APP_WINDOW_PROGRESS_H_
#define VANTREL_APP_WINDOW_PROGRESS_H_

#include <windows.h>

#include <cstdint>

#include "movie/progress_sink.h"

namespace vantrel::app {

// Shows a walk on the progress bar of `dialog`. Runs on the worker thread;
// each message is sent, so it waits until the window's thread has drawn it.
class WindowProgress final : public ProgressSink {
 public:
  explicit WindowProgress(HWND dialog) : dialog_(dialog) {}

  void begin(std::uint32_t total) override;
  void step() override;
  void writeFailed(std::uint64_t valueOffset) override;

 private:
  HWND dialog_;
  bool toldWriteFailed_ = false;
};

}  // namespace vantrel::app

#endif  // VANTREL_APP_WINDOW_PROGRESS_H_
