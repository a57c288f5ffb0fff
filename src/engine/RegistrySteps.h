// The steps that remove the target's start-up entries, uninstall entries and
// registry keys, and the one that writes registry values back.
#pragma once

#include "engine/StepContext.h"

namespace tidemark {

void RemoveStartupEntries(StepContext& context);
void RemoveUninstallEntries(StepContext& context);
void RemoveRegistryKeys(StepContext& context);
void RestoreRegistry(StepContext& context);

}  // namespace tidemark
