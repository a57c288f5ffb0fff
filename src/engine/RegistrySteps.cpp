#include "engine/RegistrySteps.h"

#include <vector>

#include "engine/MachineRegistryFacts.h"
#include "engine/ProtectedKeys.h"
#include "engine/RegistryEntries.h"
#include "engine/RegistryRules.h"
#include "engine/SectionWalk.h"
#include "engine/StepSlotTable.h"
#include "script/ScriptSections.h"
#include "system/Registry.h"

namespace tidemark {

namespace {

// Recovery writes go to the 64-bit view on 64-bit Windows. The removals use
// KEY_ALL_ACCESS without a view flag, and so see the registry as any process
// of their own bitness.
constexpr DWORD kRecoveryAccess = kRegistryRecoveryAccess;

void RemoveKeysOfSection(StepContext& context, std::string_view section, RegistryRoot root) {
  const MachineRegistryFacts facts;
  WalkSection(context.Script(), section, context.Folders(),
              [root, &facts](const std::string& name, const std::string& value) {
                // A value from the root, or a protected key, is passed over in silence
                // like any entry whose key cannot be deleted. The facts are read before
                // anything of the entry goes, from the registry the deletion sees.
                if (RegistryKeyEntryVerdict(root, name, value, facts).IsRefused()) return WalkControl::Continue;
                TRegistry registry;
                registry.SelectRoot(RootKeyOf(root));
                if (registry.OpenPath(RegistryParentPath(name, value), false)) registry.DeletePath(value);
                registry.ClosePath();
                return WalkControl::Continue;
              });
}

void RestoreRecord(const std::vector<std::string>& parts) {
  TRegistry registry(kRecoveryAccess);
  registry.SelectRoot(RootKeyOf(RecoveryRoot(parts[0])));
  const std::string& keyPath = parts[1];
  if (!registry.OpenPath(keyPath, true)) {
    // MakePath raises when even this fails; the key it creates is not
    // opened, so open it for the write that follows.
    registry.MakePath(keyPath);
    registry.OpenPath(keyPath, false);
  }
  if (parts.size() > 2 && !parts[2].empty()) {
    // A record without data writes the value empty.
    registry.WriteStringValue(parts[2], parts.size() > 3 ? parts[3] : std::string());
  }
  registry.ClosePath();
}

}  // namespace

void RemoveStartupEntries(StepContext& context) {
  PostStepHeading(context, __func__);
  // The Run value goes by its name; the command is not needed to delete it,
  // so a folder macro that cannot be found on this machine must not keep it.
  const EntryHandler removeByName = [](const std::string& name, const std::string& command) {
    RemoveRunEntry(name, command, true);
    return WalkControl::Continue;
  };
  WalkSection(context.Script(), sections::kStartRun, context.Folders(), removeByName, &removeByName);
}

void RemoveUninstallEntries(StepContext& context) {
  PostStepHeading(context, __func__);
  WalkSection(context.Script(), sections::kUninstall, context.Folders(),
              [](const std::string&, const std::string& subkey) {
                RemoveUninstallEntry(subkey);
                return WalkControl::Continue;
              });
}

void RemoveRegistryKeys(StepContext& context) {
  PostStepHeading(context, __func__);
  RemoveKeysOfSection(context, sections::kCurrentUser, RegistryRoot::CurrentUser);
  RemoveKeysOfSection(context, sections::kLocalMachine, RegistryRoot::LocalMachine);
}

void RestoreRegistry(StepContext& context) {
  PostStepHeading(context, __func__);
  std::vector<std::string> parts;
  WalkSection(context.Script(), sections::kRegistryRecovery, context.Folders(),
              [&parts](const std::string&, const std::string& record) {
                SplitByDelimiter(parts, record, kRecoveryDelimiter);
                if (parts.size() >= 2) RestoreRecord(parts);
                parts.clear();
                return WalkControl::Continue;
              });
}

}  // namespace tidemark
