// The removal run: the fixed sequence of step slots (StepSlotTable.h), the
// pauses between them, and the lines that frame the run in the status list.
#pragma once

#include "engine/StepContext.h"
#include "engine/StepSlotTable.h"

namespace tidemark {

// What btnStartClick runs: the slots that the table marks for the Start button.
inline constexpr StepSwitches kStartButtonSwitches = StartButtonSwitches();

inline constexpr int kPauseAfterSlotMs = 200;

class RunHost : public StepContext {
 public:
  virtual void ClearStatus() = 0;
  // Calls the step routine of the slot (1 to kStepSlotCount).
  virtual void RunStep(int slot) = 0;
  // True once the main window has closed: its reader is gone, and a run
  // interrupted in a pause must not go on with its steps.
  virtual bool WindowClosed() const = 0;
};

// Clears the status list, posts the start line, runs the switched-on slots in
// order with a pause after each slot but the last, and posts the completion
// line. An exception from a step ends the sequence, and the line that the
// removal did not complete takes the completion line's place. When the
// window closes during a pause, the run ends there.
void RunRemoval(RunHost& host, const StepSwitches& switches);

}  // namespace tidemark
