#include "engine/StepSlots.h"

#include "engine/FileSteps.h"
#include "engine/LeftOvers.h"
#include "engine/ProcessSteps.h"
#include "engine/RegistrySteps.h"
#include "engine/RemovalRun.h"
#include "engine/StepSlotTable.h"

namespace tidemark {

namespace {

using StepRoutine = void (*)(StepContext&);

#define TIDEMARK_ROUTINE_OF_SLOT(number, routine, ...) routine,
constexpr StepRoutine kRoutineOfSlot[] = {TIDEMARK_STEP_SLOTS(TIDEMARK_ROUTINE_OF_SLOT)};
#undef TIDEMARK_ROUTINE_OF_SLOT

static_assert(std::size(kRoutineOfSlot) == std::size(kStepSlots));

// The steps of the slot table, and the preview's look for what is left.
class EngineSteps final : public RunSteps {
 public:
  void RunStep(StepContext& context, int slot) const override { RunStepOfSlot(context, slot); }
  std::vector<LeftOver> WhatIsLeft(const StepContext& context, const StepSwitches& switches) const override {
    return FindLeftOvers(context.Script(), context.Folders(), switches);
  }
};

}  // namespace

void RestoreFolders(StepContext&) {}

void RunRemoval(RunHost& host, const StepSwitches& switches) { RunRemoval(host, switches, EngineSteps()); }

void RunStepOfSlot(StepContext& context, int slot) {
  if (slot >= 1 && slot <= kStepSlotCount) kRoutineOfSlot[slot - 1](context);
}

}  // namespace tidemark
