// The step routine of each slot of the removal run, bound from the rows of
// StepSlotTable.h.
#pragma once

#include "engine/StepContext.h"

namespace tidemark {

// Runs the step of the slot (1 to kStepSlotCount) on the context; any other
// number runs nothing.
void RunStepOfSlot(StepContext& context, int slot);

// The ninth slot's step: there is nothing to restore, so it posts nothing
// and changes nothing.
void RestoreFolders(StepContext& context);

}  // namespace tidemark
