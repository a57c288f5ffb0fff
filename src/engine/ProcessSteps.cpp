#include "engine/ProcessSteps.h"

#include <string>
#include <vector>

#include "engine/ProtectedProcesses.h"
#include "engine/SectionWalk.h"
#include "engine/StatusLines.h"
#include "engine/StepSlotTable.h"
#include "script/ScriptSections.h"
#include "system/Processes.h"
#include "system/Services.h"

namespace tidemark {

void KillProcesses(StepContext& context) {
  PostStepHeading(context, __func__);
  // Every name first, then one ending over all of them: programs that start
  // each other again must all be frozen before any of them is terminated.
  std::vector<std::string> imageNames;
  WalkSection(context.Script(), sections::kProcess, context.Folders(),
              [&imageNames](const std::string&, const std::string& imageName) {
                // Ending one of Windows' own processes would stop the session
                // or the system, whatever the script meant.
                if (!IsProtectedProcessName(imageName)) imageNames.push_back(imageName);
                return WalkControl::Continue;
              });
  EndProcessesByName(imageNames);
}

void RemoveServices(StepContext& context) {
  PostStepHeading(context, __func__);
  WalkSection(context.Script(), sections::kService, context.Folders(),
              [&context](const std::string&, const std::string& service) {
                if (!StopServiceByName(service)) {
                  context.AddStatus(status::kServiceStopFailed);
                  return WalkControl::Stop;
                }
                context.Delay(kServiceStopPauseMs);
                if (!DeleteServiceByName(service)) {
                  context.AddStatus(status::kServiceStopFailed);
                  return WalkControl::Stop;
                }
                return WalkControl::Continue;
              });
}

void RemoveBHOs(StepContext& context) {
  PostStepHeading(context, __func__);
  WalkSection(context.Script(), sections::kBho, context.Folders(), [](const std::string&, const std::string& path) {
    RegisterComServer(path, false);
    return WalkControl::Continue;
  });
}

}  // namespace tidemark
