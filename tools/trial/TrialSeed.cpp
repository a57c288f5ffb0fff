#include "trial/TrialSeed.h"

#include <windows.h>

#include <optional>
#include <set>
#include <stdexcept>
#include <vector>

#include "capture/Snapshot.h"
#include "engine/PathMacros.h"
#include "engine/PathSafety.h"
#include "engine/ProtectedKeys.h"
#include "engine/RegistryEntries.h"
#include "engine/ShellFolderLookup.h"
#include "engine/StepSlotTable.h"
#include "lint/ScriptLint.h"
#include "script/ScriptSections.h"
#include "system/Cp949Text.h"
#include "system/MaskPath.h"
#include "system/UniqueHandle.h"

namespace tidemark::trial {

namespace {

using capture::ParentOf;

constexpr char kDecoy[] = "-decoy";
constexpr char kSeededContent[] = "seeded by tidemark-trial\r\n";
// How long a holder may take to open its file.
constexpr DWORD kHoldBoundMs = 60000;

// The event by which the holder with the process id says that it holds its
// file: the seeding makes it before the holder runs.
std::string HoldEventName(DWORD holder) { return "tidemark-trial-hold-" + std::to_string(holder); }

bool Is64BitWindows() {
  BOOL wow64 = FALSE;
  return sizeof(void*) == 8 || (IsWow64Process(GetCurrentProcess(), &wow64) && wow64);
}

void CreateFolders(const std::string& folder) {
  if (folder.size() <= 3 || GetFileAttributesA(folder.c_str()) != INVALID_FILE_ATTRIBUTES) return;
  CreateFolders(ParentOf(folder));
  CreateDirectoryA(folder.c_str(), nullptr);
}

bool WriteSeedFile(const std::string& path) {
  CreateFolders(ParentOf(path));
  UniqueFile file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  return file && WriteFile(file.get(), kSeededContent, sizeof kSeededContent - 1, &written, nullptr);
}

// "lumen*.lo?" -> "lumenseed.los": a name the mask matches.
std::string NameMatching(const std::string& mask) {
  std::string name;
  for (char c : mask) name += c == '*' ? std::string("seed") : c == '?' ? std::string("s") : std::string(1, c);
  return name;
}

class Seeder {
 public:
  Seeder(const std::string& dummyProgram, const std::string& processFolder, bool holdFiles, std::FILE* log)
      : m_dummy(dummyProgram),
        m_processFolder(processFolder),
        m_holdFiles(holdFiles),
        m_log(log),
        m_wow64(Is64BitWindows()) {}

  void Plan(const lint::LintResult& checked) {
    // Every name the script uses, so that no decoy is one of them.
    for (const lint::WalkedSection& walk : checked.walks) {
      for (const lint::HandledEntry& entry : walk.handled) {
        if (walk.section == sections::kProcess) m_processes.insert(ToUpperAsciiCp949(entry.value));
        if (walk.section == sections::kFile) {
          if (const auto target = Expanded(entry.value)) {
            if (const auto split = SplitMaskPath(*target)) m_masks.push_back(*split);
          }
        }
      }
    }
  }

  void Entry(std::string_view section, const lint::HandledEntry& entry) {
    if (section == sections::kProcess) return Process(entry);
    if (section == sections::kStartRun) return RunValue(entry);
    if (section == sections::kUninstall) return UninstallEntry(entry);
    if (section == sections::kCurrentUser) return Key(HKEY_CURRENT_USER, "HKCU", entry);
    if (section == sections::kLocalMachine) return Key(HKEY_LOCAL_MACHINE, "HKLM", entry);
    if (section == sections::kFile) return Files(entry);
    if (section == sections::kPath) return Folder(entry);
  }

  std::size_t Seeded() const { return m_seeded; }

 private:
  void Say(const lint::HandledEntry& entry, const std::string& what) {
    std::fprintf(m_log, "line %zu: seeded %s\n", entry.line, what.c_str());
    ++m_seeded;
  }

  std::optional<std::string> Expanded(const std::string& value) const {
    std::string expanded;
    if (!ExpandPathMacros(value, expanded, m_folders)) return std::nullopt;
    return expanded;
  }

  void StartDummy(const std::string& image) {
    const std::string path = m_processFolder + "\\" + image;
    CreateFolders(m_processFolder);
    if (!CopyFileA(m_dummy.c_str(), path.c_str(), FALSE) && GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
      return;
    std::string commandLine = "\"" + path + "\" dummy";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                       m_processFolder.c_str(), &startup, &process)) {
      CloseHandle(process.hThread);
      CloseHandle(process.hProcess);
    }
  }

  void Process(const lint::HandledEntry& entry) {
    StartDummy(entry.value);
    Say(entry, "process " + entry.value);
    const std::size_t dot = entry.value.rfind('.');
    const std::string decoy =
        dot == std::string::npos ? entry.value + kDecoy : entry.value.substr(0, dot) + kDecoy + entry.value.substr(dot);
    if (m_processes.count(ToUpperAsciiCp949(decoy)) == 0) StartDummy(decoy);
  }

  // Writes the value in the program's view (32-bit) and, on 64-bit Windows,
  // a differing twin in the 64-bit view where that is another key: the run
  // must leave the twin alone.
  void WriteValue(HKEY root, const std::string& keyPath, const std::string& name, const std::string& data) {
    SetValue(root, keyPath, KEY_WOW64_32KEY, name, data);
    if (!m_wow64 || IsSharedBetweenViews(root, keyPath, name, data)) return;
    SetValue(root, keyPath, KEY_WOW64_64KEY, name, data + " (64-bit view)");
  }

  static void SetValue(HKEY root, const std::string& keyPath, REGSAM view, const std::string& name,
                       const std::string& data) {
    UniqueHKey key;
    if (RegCreateKeyExA(root, keyPath.c_str(), 0, nullptr, 0, KEY_SET_VALUE | view, nullptr, key.put(), nullptr) !=
        ERROR_SUCCESS) {
      return;
    }
    RegSetValueExA(key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>(data.size() + 1));
  }

  static bool IsSharedBetweenViews(HKEY root, const std::string& keyPath, const std::string& name,
                                   const std::string& data) {
    UniqueHKey key;
    if (RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, key.put()) != ERROR_SUCCESS) {
      return false;
    }
    char seen[1024] = {};
    DWORD size = sizeof seen - 1, type = 0;
    return RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(seen), &size) ==
               ERROR_SUCCESS &&
           data == seen;
  }

  void RunValue(const lint::HandledEntry& entry) {
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
      WriteValue(root, kRunKeyPath, entry.name, entry.value);
      WriteValue(root, kRunKeyPath, entry.name + kDecoy, entry.value);
    }
    Say(entry, "Run value " + entry.name + " under HKCU and HKLM");
  }

  // The key with a value and a subkey holding another, as programs leave
  // their keys.
  void SeedKey(HKEY root, const std::string& path) {
    WriteValue(root, path, "seeded", "1");
    WriteValue(root, path + "\\seeded-subkey", "seeded", "1");
  }

  void UninstallEntry(const lint::HandledEntry& entry) {
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
      SeedKey(root, kUninstallKeyPath + entry.value);
      WriteValue(root, kUninstallKeyPath + entry.value, "DisplayName", entry.value);
      SeedKey(root, kUninstallKeyPath + entry.value + kDecoy);
    }
    Say(entry, "Uninstall entry " + entry.value + " under HKCU and HKLM");
  }

  void Key(HKEY root, const char* rootName, const lint::HandledEntry& entry) {
    const std::string path = RegistryEntryKeyPath(entry.name, entry.value);
    SeedKey(root, path);
    SeedKey(root, path + kDecoy);
    Say(entry, std::string("key ") + rootName + "\\" + path);
  }

  bool IsNamedFile(const std::string& folder, const std::string& name) const {
    for (const MaskPath& mask : m_masks) {
      if (EqualsIgnoreCaseCp949(mask.folder, folder) && MatchesFileMask(mask.mask, name)) return true;
    }
    return false;
  }

  void Files(const lint::HandledEntry& entry) {
    const std::optional<std::string> expanded = Expanded(entry.value);
    if (!expanded) return;
    const std::optional<MaskPath> target = SplitMaskPath(*expanded);
    if (!target || target->mask.empty()) return;
    const std::string name = NameMatching(target->mask);
    const std::string path = WithTrailingBackslash(target->folder) + name;
    if (!MatchesFileMask(target->mask, name) || !WriteSeedFile(path)) return;
    if (m_holdFiles) {
      Hold(path);
      Say(entry, "file " + path + ", held open by another program");
    } else {
      Say(entry, "file " + path);
    }
    // A near miss beside it, or in a sibling folder when the mask matches
    // every name.
    for (const std::string& decoy : {std::string("decoy.txt"), "decoy-" + name + ".decoy"}) {
      if (!IsNamedFile(target->folder, decoy)) {
        WriteSeedFile(WithTrailingBackslash(target->folder) + decoy);
        return;
      }
    }
    WriteSeedFile(target->folder + kDecoy + "\\decoy.txt");
  }

  // Starts this tool as the file's holder (suspended, so that the event it
  // signals exists first) and waits until it holds the file.
  void Hold(const std::string& path) {
    std::string commandLine = "\"" + m_dummy + "\" hold \"" + path + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessA(m_dummy.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                        CREATE_NO_WINDOW | CREATE_SUSPENDED, nullptr, nullptr, &startup, &started)) {
      throw std::runtime_error("cannot start a holder of " + path + " (error " + std::to_string(GetLastError()) + ")");
    }
    UniqueHandle process(started.hProcess);
    UniqueHandle thread(started.hThread);
    UniqueHandle held(CreateEventA(nullptr, TRUE, FALSE, HoldEventName(started.dwProcessId).c_str()));
    if (!held) {
      TerminateProcess(process.get(), 1);
      throw std::runtime_error("cannot make the event of a holder (error " + std::to_string(GetLastError()) + ")");
    }
    ResumeThread(thread.get());
    const HANDLE either[] = {held.get(), process.get()};
    if (WaitForMultipleObjects(2, either, FALSE, kHoldBoundMs) != WAIT_OBJECT_0) {
      TerminateProcess(process.get(), 1);
      throw std::runtime_error("the holder of " + path + " did not open it");
    }
  }

  void Folder(const lint::HandledEntry& entry) {
    const std::optional<std::string> expanded = Expanded(entry.value);
    if (!expanded || !IsFullyQualifiedPath(*expanded)) return;
    CreateFolders(*expanded);
    CreateFolders(*expanded + kDecoy);
    Say(entry, "folder " + *expanded);
  }

  const ShellFolderLookup m_folders;
  std::string m_dummy;
  std::string m_processFolder;
  bool m_holdFiles;
  std::FILE* m_log;
  bool m_wow64;
  std::set<std::string> m_processes;
  std::vector<MaskPath> m_masks;
  std::size_t m_seeded = 0;
};

}  // namespace

bool SeedInstallation(const std::string& script, const std::string& dummyProgram, const std::string& processFolder,
                      bool holdFiles, std::FILE* log) {
  const lint::LintResult checked = lint::LintScript(script);
  std::set<std::size_t> refused;
  for (const lint::Finding& finding : checked.findings) {
    if (finding.severity == lint::Severity::Error) refused.insert(finding.line);
  }
  Seeder seeder(dummyProgram, processFolder, holdFiles, log);
  seeder.Plan(checked);
  for (const lint::WalkedSection& walk : checked.walks) {
    if (IsReadOnlyByStepsTheStartButtonLeavesOff(walk.section)) continue;
    for (const lint::HandledEntry& entry : walk.handled) {
      if (refused.count(entry.line) == 0) seeder.Entry(walk.section, entry);
    }
  }
  return seeder.Seeded() != 0;
}

void HoldFile(const std::string& path) {
  UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) return;
  UniqueHandle held(OpenEventA(EVENT_MODIFY_STATE, FALSE, HoldEventName(GetCurrentProcessId()).c_str()));
  if (held) SetEvent(held.get());
  for (;;) Sleep(INFINITE);
}

}  // namespace tidemark::trial
