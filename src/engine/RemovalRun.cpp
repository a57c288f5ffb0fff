#include "engine/RemovalRun.h"

#include "engine/StatusLines.h"

namespace tidemark {

namespace {

void PostLastWord(RunHost& host, bool everyStepEnded, const std::vector<LeftOver>& left) {
  if (!everyStepEnded) {
    host.AddStatus(status::kRunNotCompleted);
    return;
  }
  bool allAtRestart = true;
  for (const LeftOver& thing : left) {
    host.AddStatus((thing.scheduledForRestart ? status::kRemovedAtRestart : status::kNotRemoved) + thing.name);
    allAtRestart = allAtRestart && thing.scheduledForRestart;
  }
  if (left.empty()) {
    host.AddStatus(status::kRunCompleted);
  } else {
    host.AddStatus(allAtRestart ? status::kRunCompletesAtRestart : status::kRunNotCompleted);
  }
}

}  // namespace

void RunRemoval(RunHost& host, const StepSwitches& switches, const RunSteps& steps) {
  host.ClearStatus();
  host.AddStatus(status::kRunStarted);
  bool everyStepEnded = false;
  std::vector<LeftOver> left;
  try {
    for (const StepSlot& slot : kStepSlots) {
      if (switches[slot.number - 1]) steps.RunStep(host, slot.number);
      if (slot.number == kStepSlotCount) break;
      // The pause handles the application's messages, so the user can close
      // the window in it; the reader is released then, and nothing of the
      // run may touch it or the window any more.
      host.Delay(kPauseAfterSlotMs);
      if (host.WindowClosed()) return;
    }
    // A removal may fail, but the run never says it removed what is still
    // there: what the steps meant to remove is looked at once more.
    left = steps.WhatIsLeft(host, switches);
    everyStepEnded = true;
  } catch (...) {
    // Whatever a step raised ends the sequence without a message box; the
    // last line then says that the removal did not complete.
  }
  PostLastWord(host, everyStepEnded, left);
}

}  // namespace tidemark
