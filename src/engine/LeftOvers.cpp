#include "engine/LeftOvers.h"

#include "engine/Preview.h"
#include "engine/RegistryEntries.h"
#include "engine/RegistryRules.h"
#include "system/PendingDeletions.h"
#include "system/Processes.h"

namespace tidemark {

namespace {

// The root as the status list names it: short, as users see it written.
std::string ShortRootName(const std::string& root) {
  for (const RegistryRootNames& names : kRegistryRootNames) {
    if (root == names.name) return names.shortName;
  }
  return root;
}

void AddKeys(const std::vector<KeyPreview>& keys, std::vector<LeftOver>& left) {
  for (const KeyPreview& key : keys) {
    if (key.exists && !key.refused) left.push_back({ShortRootName(key.root) + "\\" + key.path, false});
  }
}

}  // namespace

std::vector<LeftOver> FindLeftOvers(const ScriptIni& script, const FolderLookup& folders,
                                    const StepSwitches& switches) {
  const PreviewReport report = BuildPreview(script, folders, switches);
  const PendingDeletions pending;
  std::vector<LeftOver> left;
  for (const ProcessPreview& process : report.processes) {
    // This process never ends itself, so a copy of its own image is no
    // target that stayed.
    if (process.running > 0 && !process.refused && OtherProcessRuns(process.imageName)) {
      left.push_back({process.imageName, false});
    }
  }
  for (const RunValuePreview& value : report.runValues) {
    if (value.refused) continue;
    const std::string path = std::string(kRunKeyPath) + "\\" + value.valueName;
    if (value.currentUser) left.push_back({RegistryRootShortName(RegistryRoot::CurrentUser) + ("\\" + path), false});
    if (value.localMachine) left.push_back({RegistryRootShortName(RegistryRoot::LocalMachine) + ("\\" + path), false});
  }
  AddKeys(report.uninstallEntries, left);
  AddKeys(report.registryKeys, left);
  for (const FilePreview& file : report.files) left.push_back({file.path, pending.Contains(file.path)});
  for (const FolderPreview& folder : report.folders) {
    if (folder.exists && !folder.refused) left.push_back({folder.path, pending.Contains(folder.path)});
  }
  return left;
}

}  // namespace tidemark
