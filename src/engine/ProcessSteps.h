// The steps that end the target's programs, services and browser components.
#pragma once

#include "engine/StepContext.h"

namespace tidemark {

// [PROCESS]: terminates the first running process of each image name.
void KillProcesses(StepContext& context);

// [SERVICE]: stops each service, waits two seconds, deletes it. The step
// ends with one failure line when sc cannot be started.
void RemoveServices(StepContext& context);

// [BHO]: unregisters each COM server file.
void RemoveBHOs(StepContext& context);

inline constexpr int kServiceStopPauseMs = 2000;

}  // namespace tidemark
