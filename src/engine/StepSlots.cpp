#include "engine/StepSlots.h"

#include "engine/FileSteps.h"
#include "engine/ProcessSteps.h"
#include "engine/RegistrySteps.h"

namespace tidemark {

void RunStepOfSlot(StepContext& context, int slot) {
  switch (slot) {
    case 1: return KillProcesses(context);
    case 2: return RemoveServices(context);
    case 3: return RemoveBHOs(context);
    case 4: return RemoveStartupEntries(context);
    case 5: return RemoveUninstallEntries(context);
    case 6: return RemoveRegistryKeys(context);
    case 7: return RemoveFilesAndFolders(context);
    case 8: return RestoreRegistry(context);
    default: return;
  }
}

}  // namespace tidemark
