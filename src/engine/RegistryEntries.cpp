#include "engine/RegistryEntries.h"

#include "engine/EntryVerdicts.h"
#include "engine/MachineRegistryFacts.h"
#include "engine/ProtectedKeys.h"
#include "system/Registry.h"

namespace tidemark {

namespace {

// A refused name is handled as if the root had no Uninstall key: nothing is
// opened or deleted, and the result stays as it was.
bool DeleteUninstallSubkey(TRegistry& registry, RegistryRoot root, const std::string& subkeyName, bool& result) {
  if (UninstallEntryVerdict(root, subkeyName, MachineRegistryFacts()).IsRefused()) return false;
  if (!registry.OpenPath(kUninstallKeyPath, false)) return false;
  result = registry.PathExists(subkeyName) ? registry.DeletePath(subkeyName) : true;
  return true;
}

}  // namespace

void RemoveRunEntry(const std::string& valueName, const std::string& data, bool remove) {
  // Windows' own start-up entries stay as they are, whatever the script says.
  if (RunValueVerdict(valueName).IsRefused()) return;
  TRegistry registry;
  registry.SelectRoot(HKEY_CURRENT_USER);
  if (registry.OpenPath(kRunKeyPath, false) && registry.HasValue(valueName)) {
    if (remove) {
      registry.RemoveValue(valueName);
    } else {
      registry.WriteStringValue(valueName, data);
    }
  }
  registry.ClosePath();

  registry.SelectRoot(HKEY_LOCAL_MACHINE);
  if (remove && registry.OpenPath(kRunKeyPath, false) && registry.HasValue(valueName)) {
    registry.RemoveValue(valueName);
  }
}

bool RemoveUninstallEntry(const std::string& subkeyName) {
  TRegistry registry;
  bool result = false;
  registry.SelectRoot(HKEY_CURRENT_USER);
  try {
    DeleteUninstallSubkey(registry, RegistryRoot::CurrentUser, subkeyName, result);
  } catch (...) {
    // A failure under the user's own key must not keep the entry under the
    // machine's key.
    registry.ClosePath();
  }
  registry.SelectRoot(HKEY_LOCAL_MACHINE);
  DeleteUninstallSubkey(registry, RegistryRoot::LocalMachine, subkeyName, result);
  return result;
}

}  // namespace tidemark
