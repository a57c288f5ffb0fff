#include "engine/RemovalRun.h"

#include "engine/StatusLines.h"

namespace tidemark {

void RunRemoval(RunHost& host, const StepSwitches& switches) {
  host.ClearStatus();
  host.AddStatus(status::kRunStarted);
  bool everyStepEnded = false;
  try {
    for (const StepSlot& slot : kStepSlots) {
      if (switches[slot.number - 1]) host.RunStep(slot.number);
      if (slot.number == kStepSlotCount) break;
      // The pause handles the application's messages, so the user can close
      // the window in it; the reader is released then, and nothing of the
      // run may touch it or the window any more.
      host.Delay(kPauseAfterSlotMs);
      if (host.WindowClosed()) return;
    }
    everyStepEnded = true;
  } catch (...) {
    // Whatever a step raised ends the sequence without a message box; the
    // last line then says that the removal did not complete.
  }
  host.AddStatus(everyStepEnded ? status::kRunCompleted : status::kRunNotCompleted);
}

}  // namespace tidemark
