#include "preview/PreviewReport.h"

#include "engine/RegistryRules.h"

namespace tidemark::preview {

namespace {

std::string Describe(const KeyPreview& key) {
  std::string line = "  " + key.root + "\\" + key.path + ": ";
  if (key.refused) return line + "refused (a protected key, or not below its parent key): deletes nothing\n";
  if (!key.exists) return line + "absent\n";
  return line + std::to_string(key.subkeys) + " subkeys, " + std::to_string(key.values) + " values\n";
}

std::string Describe(const RunValuePreview& value) {
  std::string where = value.currentUser ? RegistryRootName(RegistryRoot::CurrentUser) : "";
  if (value.localMachine)
    where += std::string(where.empty() ? "" : ", ") + RegistryRootName(RegistryRoot::LocalMachine);
  return "  " + value.valueName + ": " + (where.empty() ? "absent" : where) +
         (value.refused ? " (a start-up entry of Windows or of a common program: never deleted)" : "") + "\n";
}

std::string Describe(const FolderPreview& folder) {
  const char* fate = !folder.exists ? "absent"
                     : folder.refused
                         ? "refused (a folder of Windows or of a profile, or reached through a link): never removed"
                     : folder.wouldBeEmpty ? "removed (empty by then)"
                                           : "stays (not empty)";
  return "  " + folder.path + ": " + fate + "\n";
}

}  // namespace

std::string FormatPreview(const PreviewReport& report) {
  std::string text = "Processes (every running instance of each name is ended):\n";
  for (const ProcessPreview& process : report.processes) {
    text += "  " + process.imageName + ": " + std::to_string(process.running) + " running" +
            (process.refused ? " (a process of Windows itself: never ended)" : "") + "\n";
  }
  text += "Run values:\n";
  for (const RunValuePreview& value : report.runValues) text += Describe(value);
  text += "Uninstall entries:\n";
  for (const KeyPreview& key : report.uninstallEntries) text += Describe(key);
  text += "Registry keys:\n";
  for (const KeyPreview& key : report.registryKeys) text += Describe(key);
  text += "Files:\n";
  for (const FilePreview& file : report.files) {
    text += "  " + file.path +
            (file.inUse      ? " (in use: deleted at restart)"
             : file.readOnly ? " (read-only: cleared and deleted)"
                             : "") +
            "\n";
  }
  text += "Folders:\n";
  for (const FolderPreview& folder : report.folders) text += Describe(folder);
  for (const std::string& skipped : report.skipped) text += "Skipped: " + skipped + "\n";
  return text;
}

}  // namespace tidemark::preview
