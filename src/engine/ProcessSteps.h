// The steps that end the target's programs, services and browser components.
#pragma once

#include "engine/StepContext.h"

namespace tidemark {

// [PROCESS]: ends every running process of the listed image names (but this
// program and Windows' own processes), also programs that start each other
// again, and waits a bounded while for them to end, so that their program
// files are free for the file step. Posts only its heading.
void KillProcesses(StepContext& context);

// [SERVICE]: stops each service, waits two seconds, deletes it. The step
// ends with one failure line when sc cannot be started.
void RemoveServices(StepContext& context);

// [BHO]: unregisters each COM server file.
void RemoveBHOs(StepContext& context);

inline constexpr int kServiceStopPauseMs = 2000;

}  // namespace tidemark
