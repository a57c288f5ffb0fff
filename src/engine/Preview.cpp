#include "engine/Preview.h"

#include <optional>
#include <set>

#include "engine/EntryVerdicts.h"
#include "engine/FileRemoval.h"
#include "engine/MachineRegistryFacts.h"
#include "engine/ProtectedKeys.h"
#include "engine/RegistryEntries.h"
#include "engine/RegistryRules.h"
#include "engine/SectionWalk.h"
#include "engine/StepSlotTable.h"
#include "script/ScriptSections.h"
#include "system/Cp949Text.h"
#include "system/FolderEntries.h"
#include "system/MaskPath.h"
#include "system/Processes.h"
#include "system/Registry.h"

namespace tidemark {

namespace {

// Read rights only. Like the run's registry objects it names no view flag,
// so it sees the keys that a run of the same bitness would delete.
constexpr DWORD kReadOnly = kRegistryReadAccess;

struct Root {
  RegistryRoot root;
  HKEY key;
  const char* name;
};

const Root kCurrentUser{RegistryRoot::CurrentUser, HKEY_CURRENT_USER, RegistryRootName(RegistryRoot::CurrentUser)};
const Root kLocalMachine{RegistryRoot::LocalMachine, HKEY_LOCAL_MACHINE, RegistryRootName(RegistryRoot::LocalMachine)};

// As RemoveRunEntry looks the value up before it deletes it.
bool HasRunValue(HKEY root, const std::string& name) {
  TRegistry registry(kReadOnly);
  registry.SelectRoot(root);
  return registry.OpenPath(kRunKeyPath, false) && registry.HasValue(name);
}

// The key an entry names, below its root: `path` below `parent`, or from the
// root when it starts with a backslash.
std::string ShownKeyPath(const std::string& parent, const std::string& path) {
  const bool absolute = !path.empty() && path.front() == '\\';
  const std::string rest = absolute ? path.substr(1) : path;
  const std::string shownParent = !parent.empty() && parent.front() == '\\' ? parent.substr(1) : parent;
  if (absolute || shownParent.empty()) return rest;
  return shownParent + (shownParent.back() == '\\' ? "" : "\\") + rest;
}

// The key that the steps delete for `path`: its parent opened as they open
// it, then measured as DeletePath would delete it. A refused entry (a
// protected key, a path from the root, one that names its parent itself)
// deletes nothing and is counted as nothing.
KeyPreview LookAtKey(const Root& root, const std::string& parent, const std::string& path, bool refused) {
  KeyPreview preview{root.name, ShownKeyPath(parent, path), false, false, 0, 0};
  if (refused || TRegistry::NamesItsBase(path)) {
    preview.refused = true;
    return preview;
  }
  TRegistry registry(kReadOnly);
  registry.SelectRoot(root.key);
  if (!registry.OpenPath(parent, false)) return preview;
  if (const std::optional<KeyTreeSize> tree = registry.MeasurePath(path)) {
    preview.exists = true;
    preview.subkeys = tree->subkeys;
    preview.values = tree->values;
  }
  return preview;
}

class PreviewBuilder {
 public:
  PreviewBuilder(const ScriptIni& script, const FolderLookup& folders, const StepSwitches& switches)
      : m_script(script), m_folders(folders), m_switches(switches), m_guard(ProtectedFolders(folders)) {}

  // The sections in the order the Start button's run reads them: the
  // [PATH] folders are judged after every [FILE] deletion, as in the run.
  PreviewReport Build() {
    for (std::string_view section : SectionsOfARun(m_switches)) {
      const SectionPreview* preview = PreviewOf(section);
      if (preview == nullptr) {
        m_report.skipped.push_back("[" + std::string(section) + "] is not previewed");
        continue;
      }
      Walk(section, preview->add, preview->unresolvedToo);
    }
    return std::move(m_report);
  }

 private:
  using Add = void (PreviewBuilder::*)(const std::string& name, const std::string& value);

  struct SectionPreview {
    std::string_view section;
    Add add;
    // As the run does, a Run value goes by its name even when its command's
    // folder macro cannot be resolved here.
    bool unresolvedToo;
  };

  static const SectionPreview* PreviewOf(std::string_view section) {
    static constexpr SectionPreview kPreviews[] = {
        {sections::kProcess, &PreviewBuilder::AddProcess, false},
        {sections::kStartRun, &PreviewBuilder::AddRunValue, true},
        {sections::kUninstall, &PreviewBuilder::AddUninstallEntry, false},
        {sections::kCurrentUser, &PreviewBuilder::AddCurrentUserKey, false},
        {sections::kLocalMachine, &PreviewBuilder::AddLocalMachineKey, false},
        {sections::kFile, &PreviewBuilder::AddFiles, false},
        {sections::kPath, &PreviewBuilder::AddFolder, false},
    };
    for (const SectionPreview& preview : kPreviews) {
      if (preview.section == section) return &preview;
    }
    return nullptr;
  }

  void Walk(std::string_view section, Add add, bool unresolvedToo) {
    const EntryHandler each = [&](const std::string& name, const std::string& value) {
      (this->*add)(name, value);
      return WalkControl::Continue;
    };
    const WalkResult result = WalkSection(m_script, section, m_folders, each, unresolvedToo ? &each : nullptr);
    if (unresolvedToo) return;
    for (int i = 0; i < result.skippedUnresolved; ++i) {
      m_report.skipped.push_back("[" + std::string(section) + "] an entry whose folder macro cannot be resolved");
    }
  }

  void AddProcess(const std::string&, const std::string& imageName) {
    m_report.processes.push_back({imageName, CountProcesses(imageName), ProcessVerdict(imageName).IsRefused()});
  }

  void AddRunValue(const std::string& name, const std::string&) {
    m_report.runValues.push_back({name, HasRunValue(kCurrentUser.key, name), HasRunValue(kLocalMachine.key, name),
                                  RunValueVerdict(name).IsRefused()});
  }

  void AddUninstallEntry(const std::string&, const std::string& subkey) {
    for (const Root* root : {&kCurrentUser, &kLocalMachine}) {
      m_report.uninstallEntries.push_back(LookAtKey(
          *root, kUninstallKeyPath, subkey, UninstallEntryVerdict(root->root, subkey, m_registryFacts).IsRefused()));
    }
  }

  void AddCurrentUserKey(const std::string& name, const std::string& value) { AddKey(kCurrentUser, name, value); }
  void AddLocalMachineKey(const std::string& name, const std::string& value) { AddKey(kLocalMachine, name, value); }

  void AddKey(const Root& root, const std::string& name, const std::string& value) {
    m_report.registryKeys.push_back(
        LookAtKey(root, RegistryParentPath(name, value), value,
                  RegistryKeyEntryVerdict(root.root, name, value, m_registryFacts).IsRefused()));
  }

  // The same target and the same matching files as DeleteFilesByMask.
  void AddFiles(const std::string&, const std::string& path) {
    const std::optional<MaskPath> target = FileDeletionTarget(path, m_guard);
    if (!target) return;
    ForEachMatchingFile(target->folder, target->mask, [&](const FolderEntry& entry) {
      const std::string file = WithTrailingBackslash(target->folder) + entry.name;
      // Read-only is cleared and a file in use goes at the restart: either
      // way the file leaves its folder.
      if (!m_deleted.insert(ToLowerAsciiCp949(file)).second) return;
      m_report.files.push_back({file, entry.IsReadOnly(), IsFileInUse(EntryWidePath(target->folder, entry))});
    });
  }

  // The folder is removed when nothing is left in it by then: every file in
  // it deleted, every subfolder removed before it.
  void AddFolder(const std::string&, const std::string& folder) {
    FolderPreview preview{folder, IsExistingFolder(folder), false, false};
    preview.refused = preview.exists && !IsRemovableFolder(folder, m_guard);
    if (preview.exists && !preview.refused) {
      bool empty = true;
      ForEachFolderEntry(folder, "*", [&](const FolderEntry& entry) {
        const std::string path = ToLowerAsciiCp949(WithTrailingBackslash(folder) + entry.name);
        if ((entry.IsFolder() ? m_removedFolders : m_deleted).count(path) == 0) empty = false;
      });
      preview.wouldBeEmpty = empty;
      if (empty) m_removedFolders.insert(ToLowerAsciiCp949(folder));
    }
    m_report.folders.push_back(preview);
  }

  const ScriptIni& m_script;
  const FolderLookup& m_folders;
  const StepSwitches m_switches;
  const FolderGuard m_guard;
  // The same facts as the run's registry steps read.
  const MachineRegistryFacts m_registryFacts;
  PreviewReport m_report;
  std::set<std::string> m_deleted;
  std::set<std::string> m_removedFolders;
};

}  // namespace

PreviewReport BuildPreview(const ScriptIni& script, const FolderLookup& folders, const StepSwitches& switches) {
  return PreviewBuilder(script, folders, switches).Build();
}

}  // namespace tidemark
