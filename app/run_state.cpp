#include "app/run_state.h"

namespace vantrel::app {

RunState& theRun() {
  static RunState run;
  return run;
}

}  // namespace vantrel::app
