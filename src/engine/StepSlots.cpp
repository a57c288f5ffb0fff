#include "engine/StepSlots.h"

#include "engine/FileSteps.h"
#include "engine/ProcessSteps.h"
#include "engine/RegistrySteps.h"
#include "engine/StepSlotTable.h"

namespace tidemark {

namespace {

using StepRoutine = void (*)(StepContext&);

#define TIDEMARK_ROUTINE_OF_SLOT(number, routine, ...) routine,
constexpr StepRoutine kRoutineOfSlot[] = {TIDEMARK_STEP_SLOTS(TIDEMARK_ROUTINE_OF_SLOT)};
#undef TIDEMARK_ROUTINE_OF_SLOT

static_assert(std::size(kRoutineOfSlot) == std::size(kStepSlots));

}  // namespace

void RestoreFolders(StepContext&) {}

void RunStepOfSlot(StepContext& context, int slot) {
  if (slot >= 1 && slot <= kStepSlotCount) kRoutineOfSlot[slot - 1](context);
}

}  // namespace tidemark
