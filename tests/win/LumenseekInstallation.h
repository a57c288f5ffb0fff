// A simulated lumenseek installation: what the embedded script names,
// seeded under both roots with a decoy beside each target, and removed again
// when the object goes. Shared by the end-to-end tests, the demonstration and
// the start-up benchmark.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "system/UniqueHandle.h"
#include "win/TestFolders.h"
#include "win/TestProcess.h"

namespace tidemark::testing {

inline constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
inline constexpr char kArpCacheKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache";
inline constexpr char kDecoy[] = "lumenseek-e2e-decoy";

// `view` is 0 for the caller's own registry view, or KEY_WOW64_64KEY.
inline bool KeyExists(HKEY root, const std::string& path, REGSAM view = 0) {
  UniqueHKey key;
  return RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | view, key.put()) == ERROR_SUCCESS;
}

inline bool ValueExists(HKEY root, const std::string& path, const std::string& name, REGSAM view = 0) {
  UniqueHKey key;
  return RegOpenKeyExA(root, path.c_str(), 0, KEY_QUERY_VALUE | view, key.put()) == ERROR_SUCCESS &&
         RegQueryValueExA(key.get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

// True in a 32-bit process on 64-bit Windows, where the machine's software
// keys and Program Files have a second, 64-bit side.
inline bool RunsUnderWow64() {
  BOOL wow64 = FALSE;
  return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

inline void DeleteTreeInView(HKEY root, const std::string& path, REGSAM view) {
  const std::size_t cut = path.rfind('\\');
  UniqueHKey parent;
  if (RegOpenKeyExA(root, path.substr(0, cut).c_str(), 0, KEY_ALL_ACCESS | view, parent.put()) == ERROR_SUCCESS) {
    RegDeleteTreeA(parent.get(), path.substr(cut + 1).c_str());
  }
}

// Seeding must not half-fail silently: a missing target would make a
// removal look successful.
inline void SeedCheck(LONG status, const std::string& what) {
  if (status != ERROR_SUCCESS) throw std::runtime_error("cannot seed " + what);
}

inline void MakeKey(HKEY root, const std::string& path, REGSAM view = 0) {
  UniqueHKey key;
  SeedCheck(RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, key.put(), nullptr),
            path);
  const char data[] = "e2e";
  RegSetValueExA(key.get(), "Marker", 0, REG_SZ, reinterpret_cast<const BYTE*>(data), sizeof data);
}

inline void SetRunValue(HKEY root, const std::string& name, const std::string& data, REGSAM view = 0) {
  UniqueHKey key;
  SeedCheck(RegCreateKeyExA(root, kRunKey, 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, key.put(), nullptr), kRunKey);
  SeedCheck(RegSetValueExA(key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                           static_cast<DWORD>(data.size() + 1)),
            name);
}

inline void DeleteRunValue(HKEY root, const std::string& name, REGSAM view = 0) {
  UniqueHKey key;
  if (RegOpenKeyExA(root, kRunKey, 0, KEY_ALL_ACCESS | view, key.put()) == ERROR_SUCCESS) {
    RegDeleteValueA(key.get(), name.c_str());
  }
}

inline std::string ProgramFiles() {
  char folder[MAX_PATH] = {};
  SHGetSpecialFolderPathA(nullptr, folder, CSIDL_PROGRAM_FILES, FALSE);
  return folder;
}

// The 64-bit Program Files folder, which a 32-bit process is told only
// through ProgramW6432; empty outside WoW64.
inline std::string NativeProgramFiles() {
  if (!RunsUnderWow64()) return {};
  char folder[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableA("ProgramW6432", folder, MAX_PATH);
  return length > 0 && length < MAX_PATH ? folder : std::string();
}

inline void WriteFileWithAttributes(const std::string& path, DWORD attributes) {
  testing::WriteFileBytes(path, "e2e " + path);
  SetFileAttributesA(path.c_str(), attributes);
}

// A running copy of the sleeper fixture under another image name.
class RunningProgram {
 public:
  explicit RunningProgram(const std::string& path) : m_process(CopiedSleeper(path), "\"" + path + "\"") {}
  bool Running() const { return m_process.Running(); }
  // True once the process has ended, waiting for it a bounded while.
  bool WaitEnded() const { return m_process.WaitEnded(5000); }
  DWORD Id() const { return m_process.Id(); }

 private:
  static std::string CopiedSleeper(const std::string& path) {
    CopyFileA((testing::TestProgramFolder() + "\\tidemark_test_sleeper.exe").c_str(), path.c_str(), FALSE);
    return path;
  }

  TestProcess m_process;
};

// What the embedded script names, seeded under both roots, with a decoy
// beside each target; all of it is removed again when the object goes.
class LumenseekInstallation {
 public:
  LumenseekInstallation() {
    RemoveEverything();
    CreateDirectoryA(folder.c_str(), nullptr);
    CreateDirectoryA(neighbour.c_str(), nullptr);
    WriteFileWithAttributes(folder + "\\readme.txt", FILE_ATTRIBUTE_NORMAL);
    WriteFileWithAttributes(folder + "\\hidden.dat", FILE_ATTRIBUTE_HIDDEN);
    WriteFileWithAttributes(folder + "\\system.dat", FILE_ATTRIBUTE_SYSTEM);
    WriteFileWithAttributes(neighbour + "\\keep.txt", FILE_ATTRIBUTE_NORMAL);
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
      SetRunValue(root, "lumenseekagent", folder + "\\lumenseekagent.exe");
      SetRunValue(root, "lumenseek", folder + "\\lumenseek.exe");
      SetRunValue(root, kDecoy, neighbour + "\\keep.exe");
      MakeKey(root, std::string(kUninstallKey) + "\\lumenseek\\Nested\\Deeper");
      MakeKey(root, std::string(kUninstallKey) + "\\" + kDecoy);
    }
    MakeKey(HKEY_CURRENT_USER, "SOFTWARE\\lumenseek\\Settings\\Deeper");
    MakeKey(HKEY_CURRENT_USER, std::string("SOFTWARE\\") + kDecoy);
    MakeKey(HKEY_LOCAL_MACHINE, std::string(kArpCacheKey) + "\\lumenseek\\Nested");
    MakeKey(HKEY_LOCAL_MACHINE, std::string(kArpCacheKey) + "\\" + kDecoy);
    SeedTheOtherView();
    agent = std::make_unique<RunningProgram>(folder + "\\lumenseekagent.exe");
    main = std::make_unique<RunningProgram>(folder + "\\lumenseek.exe");
    decoyProcess = std::make_unique<RunningProgram>(neighbour + "\\" + kDecoy + ".exe");
  }
  ~LumenseekInstallation() {
    agent.reset();
    main.reset();
    decoyProcess.reset();
    RemoveEverything();
  }
  LumenseekInstallation(const LumenseekInstallation&) = delete;
  LumenseekInstallation& operator=(const LumenseekInstallation&) = delete;

  // Every named item, present or not.
  std::vector<std::string> TargetsPresent() const {
    std::vector<std::string> present;
    if (agent->Running()) present.push_back("process lumenseekagent.exe");
    if (main->Running()) present.push_back("process lumenseek.exe");
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
      const std::string rootName = root == HKEY_CURRENT_USER ? "HKCU\\" : "HKLM\\";
      for (const char* name : {"lumenseekagent", "lumenseek"}) {
        if (ValueExists(root, kRunKey, name)) present.push_back(rootName + "Run " + name);
      }
      if (KeyExists(root, std::string(kUninstallKey) + "\\lumenseek")) present.push_back(rootName + "Uninstall");
    }
    if (KeyExists(HKEY_CURRENT_USER, "SOFTWARE\\lumenseek")) present.push_back("HKCU\\SOFTWARE\\lumenseek");
    if (KeyExists(HKEY_LOCAL_MACHINE, std::string(kArpCacheKey) + "\\lumenseek")) present.push_back("ARPCache");
    if (GetFileAttributesA(folder.c_str()) != INVALID_FILE_ATTRIBUTES) present.push_back(folder);
    return present;
  }

  // Every decoy that is missing.
  std::vector<std::string> DecoysMissing() const {
    std::vector<std::string> missing;
    if (!decoyProcess->Running()) missing.push_back("process");
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
      if (!ValueExists(root, kRunKey, kDecoy)) missing.push_back("Run value");
      if (!KeyExists(root, std::string(kUninstallKey) + "\\" + kDecoy)) missing.push_back("Uninstall key");
    }
    if (!KeyExists(HKEY_CURRENT_USER, std::string("SOFTWARE\\") + kDecoy)) missing.push_back("HKCU key");
    if (!KeyExists(HKEY_LOCAL_MACHINE, std::string(kArpCacheKey) + "\\" + kDecoy)) missing.push_back("ARPCache key");
    if (!FileExists(neighbour + "\\keep.txt")) missing.push_back("neighbouring file");
    if (RunsUnderWow64()) {
      // A 32-bit program sees only the 32-bit side: the same names on the
      // 64-bit side belong to another program and must stay.
      for (const char* name : {"lumenseekagent", "lumenseek"}) {
        if (!ValueExists(HKEY_LOCAL_MACHINE, kRunKey, name, KEY_WOW64_64KEY)) missing.push_back("64-bit Run value");
      }
      if (!KeyExists(HKEY_LOCAL_MACHINE, std::string(kUninstallKey) + "\\lumenseek", KEY_WOW64_64KEY)) {
        missing.push_back("64-bit Uninstall key");
      }
      if (!KeyExists(HKEY_LOCAL_MACHINE, std::string(kArpCacheKey) + "\\lumenseek", KEY_WOW64_64KEY)) {
        missing.push_back("64-bit ARPCache key");
      }
      if (!FileExists(nativeFolder + "\\readme.txt")) missing.push_back("64-bit Program Files file");
    }
    return missing;
  }

  const std::string folder = ProgramFiles() + "\\lumenseek";
  const std::string neighbour = ProgramFiles() + "\\lumenseek-e2e-neighbour";
  // The same folder in the 64-bit Program Files, under WoW64 only.
  const std::string nativeFolder = NativeProgramFiles().empty() ? "" : NativeProgramFiles() + "\\lumenseek";

 private:
  // Under WoW64 the 32-bit installer's names also exist on the 64-bit side,
  // as if a 64-bit program of the same name were installed too.
  void SeedTheOtherView() {
    if (!RunsUnderWow64()) return;
    SetRunValue(HKEY_LOCAL_MACHINE, "lumenseekagent", "C:\\native\\lumenseekagent.exe", KEY_WOW64_64KEY);
    SetRunValue(HKEY_LOCAL_MACHINE, "lumenseek", "C:\\native\\lumenseek.exe", KEY_WOW64_64KEY);
    MakeKey(HKEY_LOCAL_MACHINE, std::string(kUninstallKey) + "\\lumenseek", KEY_WOW64_64KEY);
    MakeKey(HKEY_LOCAL_MACHINE, std::string(kArpCacheKey) + "\\lumenseek", KEY_WOW64_64KEY);
    if (nativeFolder.empty()) throw std::runtime_error("cannot seed: no 64-bit Program Files folder (ProgramW6432)");
    CreateDirectoryA(nativeFolder.c_str(), nullptr);
    WriteFileWithAttributes(nativeFolder + "\\readme.txt", FILE_ATTRIBUTE_NORMAL);
  }

  void RemoveTheOtherView() {
    if (!RunsUnderWow64()) return;
    for (const char* name : {"lumenseekagent", "lumenseek"}) DeleteRunValue(HKEY_LOCAL_MACHINE, name, KEY_WOW64_64KEY);
    DeleteTreeInView(HKEY_LOCAL_MACHINE, std::string(kUninstallKey) + "\\lumenseek", KEY_WOW64_64KEY);
    DeleteTreeInView(HKEY_LOCAL_MACHINE, std::string(kArpCacheKey) + "\\lumenseek", KEY_WOW64_64KEY);
    if (!nativeFolder.empty()) RemoveTree(nativeFolder);
  }

  void RemoveEverything() {
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
      for (const char* name : {"lumenseekagent", "lumenseek", kDecoy}) DeleteRunValue(root, name);
      RegDeleteTreeA(root, (std::string(kUninstallKey) + "\\lumenseek").c_str());
      RegDeleteTreeA(root, (std::string(kUninstallKey) + "\\" + kDecoy).c_str());
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, "SOFTWARE\\lumenseek");
    RegDeleteTreeA(HKEY_CURRENT_USER, (std::string("SOFTWARE\\") + kDecoy).c_str());
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, (std::string(kArpCacheKey) + "\\lumenseek").c_str());
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, (std::string(kArpCacheKey) + "\\" + kDecoy).c_str());
    RemoveTree(folder);
    RemoveTree(neighbour);
    RemoveTheOtherView();
  }

  std::unique_ptr<RunningProgram> agent;
  std::unique_ptr<RunningProgram> main;
  std::unique_ptr<RunningProgram> decoyProcess;
};

}  // namespace tidemark::testing
