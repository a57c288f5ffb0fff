// The removal run's slots: for each one its step routine, whether the Start
// button runs it, the heading line its step posts first and the script
// sections it reads. Everything that depends on the slots (the run, the Start
// button, the checker, the preview) is derived from these rows.
#pragma once

#include <array>
#include <cstddef>
#include <iterator>
#include <string_view>
#include <vector>

#include "engine/StatusLines.h"
#include "engine/StepContext.h"
#include "script/ScriptSections.h"

namespace tidemark {

// One row a slot, in slot order:
//   ROW(number, step routine, run by the Start button, heading, (sections))
// The heading is the line the step posts before it reads anything ("" for a
// step that posts none); the sections are those the step reads, in the order
// it reads them. The rows are expanded twice: below into the table, which
// builds for the host too, and in StepSlots.cpp into each slot's routine,
// which needs Windows. A new step is one row here and its routine.
#define TIDEMARK_STEP_SLOTS(ROW)                                                                                   \
  ROW(1, KillProcesses, true, status::kKillProcesses, (sections::kProcess))                                        \
  ROW(2, RemoveServices, false, status::kRemoveServices, (sections::kService))                                     \
  ROW(3, RemoveBHOs, false, status::kRemoveBhos, (sections::kBho))                                                 \
  ROW(4, RemoveStartupEntries, true, status::kRemoveStartupEntries, (sections::kStartRun))                         \
  ROW(5, RemoveUninstallEntries, true, status::kRemoveUninstallEntries, (sections::kUninstall))                    \
  ROW(6, RemoveRegistryKeys, true, status::kRemoveRegistryKeys, (sections::kCurrentUser, sections::kLocalMachine)) \
  ROW(7, RemoveFilesAndFolders, true, status::kRemoveFiles, (sections::kFile, sections::kPath))                    \
  ROW(8, RestoreRegistry, false, status::kRestoreRegistry, (sections::kRegistryRecovery))                          \
  ROW(9, RestoreFolders, false, "", ())

inline constexpr std::size_t kMostSectionsOfAStep = 2;

struct StepSlot {
  int number;
  std::string_view routine;                                     // the step routine's name
  bool startButton;                                             // switched on by the Start button
  std::string_view heading;                                     // empty when the step posts no heading
  std::array<std::string_view, kMostSectionsOfAStep> sections;  // in reading order; unused places empty

  constexpr bool Reads(std::string_view section) const {
    for (std::string_view read : sections) {
      if (!read.empty() && read == section) return true;
    }
    return false;
  }
};

#define TIDEMARK_SECTION_LIST(...) __VA_ARGS__
#define TIDEMARK_STEP_SLOT_ROW(number, routine, startButton, heading, sectionList) \
  StepSlot{number, #routine, startButton, heading, {TIDEMARK_SECTION_LIST sectionList}},
inline constexpr StepSlot kStepSlots[] = {TIDEMARK_STEP_SLOTS(TIDEMARK_STEP_SLOT_ROW)};
#undef TIDEMARK_STEP_SLOT_ROW
#undef TIDEMARK_SECTION_LIST

inline constexpr int kStepSlotCount = static_cast<int>(std::size(kStepSlots));

// A slot's switch sits at its number minus one, so the rows must number the
// slots 1, 2, 3, ... in order.
constexpr bool SlotsAreNumberedInOrder() {
  for (int index = 0; index < kStepSlotCount; ++index) {
    if (kStepSlots[index].number != index + 1) return false;
  }
  return true;
}
static_assert(SlotsAreNumberedInOrder(), "the step slots must be numbered 1, 2, 3, ... in row order");

// One switch per slot, in slot order: true runs the slot's step.
using StepSwitches = std::array<bool, kStepSlotCount>;

constexpr StepSwitches StartButtonSwitches() {
  StepSwitches switches{};
  for (const StepSlot& slot : kStepSlots) switches[slot.number - 1] = slot.startButton;
  return switches;
}

// The heading of the slot whose step routine has that name ("" when no slot
// has it, or its step posts none).
constexpr std::string_view HeadingOfStep(std::string_view routine) {
  for (const StepSlot& slot : kStepSlots) {
    if (slot.routine == routine) return slot.heading;
  }
  return {};
}

// Posts the heading of the step routine's own slot, as every step does
// first; a step passes its own name (__func__), so that the table stays the
// one place of its heading.
void PostStepHeading(StepContext& context, std::string_view routine);

// The sections that a run with the switches reads, in the order it reads them.
std::vector<std::string_view> SectionsOfARun(const StepSwitches& switches);

// The sections that a run with the Start button's switches reads, in the
// order it reads them.
std::vector<std::string_view> SectionsOfTheStartButtonRun();

// True for a section that some step reads, but none that the Start button
// runs: its entries are handled only by a run with other switches. Names are
// compared as spelt in ScriptSections.h.
bool IsReadOnlyByStepsTheStartButtonLeavesOff(std::string_view section);

}  // namespace tidemark
