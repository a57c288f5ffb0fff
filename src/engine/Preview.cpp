#include "engine/Preview.h"

#include <windows.h>

#include <algorithm>
#include <set>

#include "engine/ProtectedKeys.h"
#include "engine/ProtectedProcesses.h"
#include "engine/RegistryRules.h"
#include "engine/SectionWalk.h"
#include "script/Cp949Text.h"
#include "script/ScriptSections.h"
#include "system/FileRemoval.h"
#include "system/MaskPath.h"
#include "system/Processes.h"
#include "system/RegistryEntries.h"
#include "system/UniqueHandle.h"

namespace tidemark {

namespace {

constexpr REGSAM kReadOnly = KEY_READ;

int CountRunning(const std::string& imageName) {
  return static_cast<int>(FindProcessIds(imageName).size());
}

bool HasRunValue(HKEY root, const std::string& name) {
  UniqueHKey run;
  if (RegOpenKeyExA(root, kRunKeyPath, 0, kReadOnly, run.put()) != ERROR_SUCCESS) return false;
  return RegQueryValueExA(run.get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

void CountTree(HKEY key, int& subkeys, int& values) {
  DWORD keyCount = 0, valueCount = 0, longestName = 0;
  if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &keyCount, &longestName, nullptr, &valueCount, nullptr,
                       nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
    return;
  }
  values += static_cast<int>(valueCount);
  subkeys += static_cast<int>(keyCount);
  std::vector<char> name(longestName * 2 + 2);
  for (DWORD index = 0; index < keyCount; ++index) {
    DWORD size = static_cast<DWORD>(name.size());
    if (RegEnumKeyExA(key, index, name.data(), &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) continue;
    // As DeletePath does: a symbolic link is counted as itself, never as its target.
    UniqueHKey child;
    if (RegOpenKeyExA(key, name.data(), REG_OPTION_OPEN_LINK, kReadOnly, child.put()) == ERROR_SUCCESS) {
      CountTree(child.get(), subkeys, values);
    }
  }
}

// The key that DeletePath would delete: `path` below `parent`, or from the
// root when it starts with a backslash. A refused entry (a path from the
// root, one that names its base, a protected key) deletes nothing and is
// counted as nothing.
KeyPreview LookAtKey(HKEY root, const char* rootName, const std::string& parent, const std::string& path,
                     bool refused) {
  KeyPreview preview{rootName, {}, false, false, 0, 0};
  const bool absolute = !path.empty() && path.front() == '\\';
  const std::string rest = absolute ? path.substr(1) : path;
  const std::string shownParent = !parent.empty() && parent.front() == '\\' ? parent.substr(1) : parent;
  preview.path = absolute || shownParent.empty() ? rest
                                                 : shownParent + (shownParent.back() == '\\' ? "" : "\\") + rest;
  if (refused || rest.find_first_not_of('\\') == std::string::npos) {
    preview.refused = true;
    return preview;
  }
  // The parent is opened as the steps open it: one leading backslash makes
  // it absolute, and the empty path is the root itself (whose predefined
  // handle is used as it is, never opened or closed).
  const std::string parentPath = !parent.empty() && parent.front() == '\\' ? parent.substr(1) : parent;
  UniqueHKey parentKey;
  if (!parentPath.empty() &&
      RegOpenKeyExA(root, parentPath.c_str(), 0, kReadOnly, parentKey.put()) != ERROR_SUCCESS) {
    return preview;
  }
  const HKEY base = absolute || parentPath.empty() ? root : parentKey.get();
  UniqueHKey key;
  if (RegOpenKeyExA(base, rest.c_str(), REG_OPTION_OPEN_LINK, kReadOnly, key.put()) != ERROR_SUCCESS) {
    return preview;
  }
  preview.exists = true;
  CountTree(key.get(), preview.subkeys, preview.values);
  return preview;
}

struct FolderEntry {
  std::string name;
  bool folder;
  bool readOnly;
};

std::vector<FolderEntry> ListFolder(const std::string& folder, const std::string& mask) {
  std::vector<FolderEntry> entries;
  WIN32_FIND_DATAA found;
  UniqueFind search(FindFirstFileA((WithTrailingBackslash(folder) + mask).c_str(), &found));
  if (!search) return entries;
  do {
    const std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    entries.push_back({name, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                       (found.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0});
  } while (FindNextFileA(search.get(), &found));
  return entries;
}

std::string Lower(const std::string& path) {
  std::string lower = path;
  for (std::size_t pos = 0; pos < lower.size(); pos += Cp949CharLength(lower, pos)) {
    if (Cp949CharLength(lower, pos) == 1 && lower[pos] >= 'A' && lower[pos] <= 'Z') lower[pos] += 'a' - 'A';
  }
  return lower;
}

class PreviewBuilder {
 public:
  PreviewBuilder(const ScriptIni& script, const FolderLookup& folders)
      : m_script(script), m_folders(folders), m_protectedFolders(ProtectedFolders(folders)) {}

  PreviewReport Build() {
    Walk(sections::kProcess, [this](const std::string&, const std::string& name) {
      m_report.processes.push_back({name, CountRunning(name), IsProtectedProcessName(name)});
    });
    // As the run does, a Run value goes by its name even when its command's
    // folder macro cannot be resolved here.
    Walk(sections::kStartRun, [this](const std::string& name, const std::string&) {
      m_report.runValues.push_back({name, HasRunValue(HKEY_CURRENT_USER, name), HasRunValue(HKEY_LOCAL_MACHINE, name)});
    }, true);
    Walk(sections::kUninstall, [this](const std::string&, const std::string& subkey) {
      m_report.uninstallEntries.push_back(LookAtKey(HKEY_CURRENT_USER, "HKEY_CURRENT_USER", kUninstallKeyPath, subkey,
                                                    RefusesUninstallEntry(RegistryRoot::CurrentUser, subkey)));
      m_report.uninstallEntries.push_back(LookAtKey(HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", kUninstallKeyPath,
                                                    subkey, RefusesUninstallEntry(RegistryRoot::LocalMachine, subkey)));
    });
    Walk(sections::kCurrentUser, [this](const std::string& name, const std::string& value) {
      m_report.registryKeys.push_back(LookAtKey(HKEY_CURRENT_USER, "HKEY_CURRENT_USER",
                                                RegistryParentPath(name, value), value,
                                                RefusesRegistryKeyEntry(RegistryRoot::CurrentUser, name, value)));
    });
    Walk(sections::kLocalMachine, [this](const std::string& name, const std::string& value) {
      m_report.registryKeys.push_back(LookAtKey(HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE",
                                                RegistryParentPath(name, value), value,
                                                RefusesRegistryKeyEntry(RegistryRoot::LocalMachine, name, value)));
    });
    Walk(sections::kFile, [this](const std::string&, const std::string& path) { AddFiles(path); });
    Walk(sections::kPath, [this](const std::string&, const std::string& folder) { AddFolder(folder); });
    return std::move(m_report);
  }

 private:
  template <typename Handle>
  void Walk(std::string_view section, Handle handle, bool unresolvedToo = false) {
    const EntryHandler each = [&](const std::string& name, const std::string& value) {
      handle(name, value);
      return WalkControl::Continue;
    };
    const WalkResult result = WalkSection(m_script, section, m_folders, each, unresolvedToo ? &each : nullptr);
    if (unresolvedToo) return;
    for (int i = 0; i < result.skippedUnresolved; ++i) {
      m_report.skipped.push_back("[" + std::string(section) + "] an entry whose folder macro cannot be resolved");
    }
  }

  // The same target and the same matching files as DeleteFilesByMask.
  void AddFiles(const std::string& path) {
    const std::optional<MaskPath> target = FileDeletionTarget(path, m_protectedFolders);
    if (!target) return;
    ForEachMatchingFile(target->folder, target->mask, [&](const FoundFile& entry) {
      const bool readOnly = (entry.attributes & FILE_ATTRIBUTE_READONLY) != 0;
      const std::string file = WithTrailingBackslash(target->folder) + entry.name;
      if (!m_deleted.insert(Lower(file)).second) return;
      m_report.files.push_back({file, readOnly});
      if (readOnly) m_deleted.erase(Lower(file));
    });
  }

  void AddFolder(const std::string& folder) {
    FolderPreview preview{folder, false, false};
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    preview.exists = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (preview.exists && IsRemovableFolder(folder)) {
      const std::vector<FolderEntry> entries = ListFolder(folder, "*");
      preview.wouldBeEmpty = std::all_of(entries.begin(), entries.end(), [&](const FolderEntry& entry) {
        const std::string path = Lower(WithTrailingBackslash(folder) + entry.name);
        return entry.folder ? m_removedFolders.count(path) > 0 : m_deleted.count(path) > 0;
      });
      if (preview.wouldBeEmpty) m_removedFolders.insert(Lower(folder));
    }
    m_report.folders.push_back(preview);
  }

  const ScriptIni& m_script;
  const FolderLookup& m_folders;
  const std::vector<std::string> m_protectedFolders;
  PreviewReport m_report;
  std::set<std::string> m_deleted;
  std::set<std::string> m_removedFolders;
};

std::string Describe(const KeyPreview& key) {
  std::string line = "  " + key.root + "\\" + key.path + ": ";
  if (key.refused) return line + "refused (a protected key, or not below its parent key): deletes nothing\n";
  if (!key.exists) return line + "absent\n";
  return line + std::to_string(key.subkeys) + " subkeys, " + std::to_string(key.values) + " values\n";
}

}  // namespace

PreviewReport BuildPreview(const ScriptIni& script, const FolderLookup& folders) {
  return PreviewBuilder(script, folders).Build();
}

std::string FormatPreview(const PreviewReport& report) {
  std::string text = "Processes (every running instance of each name is ended):\n";
  for (const ProcessPreview& process : report.processes) {
    text += "  " + process.imageName + ": " + std::to_string(process.running) + " running" +
            (process.refused ? " (a process of Windows itself: never ended)" : "") + "\n";
  }
  text += "Run values:\n";
  for (const RunValuePreview& value : report.runValues) {
    std::string where = value.currentUser ? "HKEY_CURRENT_USER" : "";
    if (value.localMachine) where += std::string(where.empty() ? "" : ", ") + "HKEY_LOCAL_MACHINE";
    text += "  " + value.valueName + ": " + (where.empty() ? "absent" : where) + "\n";
  }
  text += "Uninstall entries:\n";
  for (const KeyPreview& key : report.uninstallEntries) text += Describe(key);
  text += "Registry keys:\n";
  for (const KeyPreview& key : report.registryKeys) text += Describe(key);
  text += "Files:\n";
  for (const FilePreview& file : report.files) {
    text += "  " + file.path + (file.readOnly ? " (read-only: stays)" : "") + "\n";
  }
  text += "Folders:\n";
  for (const FolderPreview& folder : report.folders) {
    text += "  " + folder.path + ": " +
            (!folder.exists ? "absent" : folder.wouldBeEmpty ? "removed (empty by then)" : "stays (not empty)") + "\n";
  }
  for (const std::string& skipped : report.skipped) text += "Skipped: " + skipped + "\n";
  return text;
}

}  // namespace tidemark
