#include "engine/RemovalRun.h"

#include "engine/StatusLines.h"

namespace tidemark {

void RunRemoval(RunHost& host, const StepSwitches& switches) {
  host.ClearStatus();
  host.AddStatus(status::kRunStarted);
  bool everyStepEnded = false;
  try {
    for (int slot = 1; slot <= 8; ++slot) {
      if (switches[slot - 1]) host.RunStep(slot);
      // The pause handles the application's messages, so the user can close
      // the window in it; the reader is released then, and nothing of the
      // run may touch it or the window any more.
      host.Delay(kPauseAfterSlotMs);
      if (host.WindowClosed()) return;
    }
    if (switches[8]) host.RunStep(9);
    everyStepEnded = true;
  } catch (...) {
    // Whatever a step raised ends the sequence without a message box; the
    // last line then says that the removal did not complete.
  }
  host.AddStatus(everyStepEnded ? status::kRunCompleted : status::kRunNotCompleted);
}

}  // namespace tidemark
