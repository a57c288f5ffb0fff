// The removal run: the fixed sequence of step slots (StepSlotTable.h), the
// pauses between them, and the lines that frame the run in the status list.
#pragma once

#include <string>
#include <vector>

#include "engine/StepContext.h"
#include "engine/StepSlotTable.h"

namespace tidemark {

// What btnStartClick runs: the slots that the table marks for the Start button.
inline constexpr StepSwitches kStartButtonSwitches = StartButtonSwitches();

inline constexpr int kPauseAfterSlotMs = 200;

// One thing that a switched-on step meant to remove and that is still there
// when the steps are done.
struct LeftOver {
  // A process by its image name, a registry key or value by its full path
  // with the root as "HKCU" or "HKLM", a file or folder by its full path.
  std::string name;
  bool scheduledForRestart = false;  // Windows deletes it at the next restart
};

// What the run needs of the window: the steps' context (script, folders,
// status list, pause), clearing the status list, and whether the window has
// closed. The run talks to the window through this alone.
class RunHost : public StepContext {
 public:
  virtual void ClearStatus() = 0;
  // True once the main window has closed: its reader is gone, and a run
  // interrupted in a pause must not go on with its steps.
  virtual bool WindowClosed() const = 0;
};

// The engine's side of a run: the step routine of each slot, and the look at
// what is left afterwards.
class RunSteps {
 public:
  virtual ~RunSteps() = default;
  // Calls the step routine of the slot (1 to kStepSlotCount).
  virtual void RunStep(StepContext& context, int slot) const = 0;
  // What the switched-on slots meant to remove and is still there now, in
  // the order of the slots and of their script entries. May raise as a step
  // does (NoScriptError when there is no script).
  virtual std::vector<LeftOver> WhatIsLeft(const StepContext& context, const StepSwitches& switches) const = 0;
};

// Clears the status list, posts the start line, runs the switched-on slots in
// order with a pause after each slot but the last, then looks at what is
// left and posts its last word: the completion line when nothing is left;
// otherwise one line for each thing left, then the line that the removal
// completes at the restart (everything left is scheduled for it) or that it
// did not complete. An exception from a step ends the sequence, and the line
// that the removal did not complete is the last. When the window closes
// during a pause, the run ends there.
void RunRemoval(RunHost& host, const StepSwitches& switches, const RunSteps& steps);

// The run with the engine's own steps (Windows builds).
void RunRemoval(RunHost& host, const StepSwitches& switches);

}  // namespace tidemark
