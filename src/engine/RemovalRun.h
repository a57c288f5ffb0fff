// The removal run: the fixed sequence of nine step slots, the pauses between
// them, and the lines that frame the run in the status list.
#pragma once

#include <array>

#include "engine/StepContext.h"

namespace tidemark {

// One switch per slot, in slot order: 1 KillProcesses, 2 RemoveServices,
// 3 RemoveBHOs, 4 RemoveStartupEntries, 5 RemoveUninstallEntries,
// 6 RemoveRegistryKeys, 7 RemoveFilesAndFolders, 8 RestoreRegistry,
// 9 RestoreFolders.
using StepSwitches = std::array<bool, 9>;

inline constexpr StepSwitches kStartButtonSwitches = {true, false, false, true, true,
                                                      true, true,  false, false};

inline constexpr int kPauseAfterSlotMs = 200;

class RunHost : public StepContext {
 public:
  virtual void ClearStatus() = 0;
  // Calls the step routine of the slot (1 to 9).
  virtual void RunStep(int slot) = 0;
  // True once the main window has closed: its reader is gone, and a run
  // interrupted in a pause must not go on with its steps.
  virtual bool WindowClosed() const = 0;
};

// Clears the status list, posts the start line, runs the switched-on slots in
// order with a pause after each of slots 1 to 8, and posts the completion
// line. An exception from a step ends the sequence, and the line that the
// removal did not complete takes the completion line's place. When the
// window closes during a pause, the run ends there.
void RunRemoval(RunHost& host, const StepSwitches& switches);

}  // namespace tidemark
