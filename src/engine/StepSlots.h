// The step routine of each slot of the removal run.
#pragma once

#include "engine/StepContext.h"

namespace tidemark {

// Runs the step of the slot (1 to 9) on the context. Slot 9 restores
// nothing and so does nothing.
void RunStepOfSlot(StepContext& context, int slot);

}  // namespace tidemark
