#include "engine/FileSteps.h"

#include "engine/FileRemoval.h"
#include "engine/SectionWalk.h"
#include "engine/StepSlotTable.h"
#include "script/ScriptSections.h"

namespace tidemark {

void RemoveFilesAndFolders(StepContext& context) {
  PostStepHeading(context, __func__);
  const ScriptIni& script = context.Script();
  const FolderGuard guard = ProtectedFolders(context.Folders());
  WalkSection(script, sections::kFile, context.Folders(), [&](const std::string&, const std::string& path) {
    DeleteFilesByMask(path, guard);
    return WalkControl::Continue;
  });
  WalkSection(script, sections::kPath, context.Folders(), [&](const std::string&, const std::string& folder) {
    RemoveEmptyFolder(folder, guard);
    return WalkControl::Continue;
  });
}

}  // namespace tidemark
