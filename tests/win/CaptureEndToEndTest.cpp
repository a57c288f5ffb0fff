// From an observed installation to its removal: snapshots before and after a
// small fake target is installed, the drafted script embedded in a copy of
// the real program, and Start pressed. Everything the target added must be
// gone, and nothing else may have changed.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "capture/ScriptDraft.h"
#include "capture/SnapshotCompare.h"
#include "capture/WholeFile.h"
#include "engine/RegistryEntries.h"
#include "lint/ScriptLint.h"
#include "pack/PePack.h"
#include "script/ScriptFileName.h"
#include "support/ExpectedTexts.h"
#include "system/ShellFolders.h"
#include "system/UniqueHandle.h"
#include "trial/TrialReport.h"
#include "trial/TrialStart.h"
#include "win/LumenseekInstallation.h"
#include "win/TestFolders.h"
#include "win/TestProcess.h"

namespace tidemark::testing {
namespace {

// Outside every folder a snapshot walks: the drive's root is no macro's.
const std::string kWork = "C:\\tidemark-capture-test";
constexpr char kFakeName[] = "CaptureFake";
constexpr char kFakeRunValue[] = "CaptureFakeAgent";
// A key and a file with a Korean name (code page 949): the snapshots, the
// draft and the program must carry its bytes unchanged.
constexpr char kKoreanName[] = "\xC4\xB8\xC3\xB3\xC8\xB8\xBB\xE7";  // 캡처회사

std::string WindowsPath(std::string path) {
  if (!path.empty() && path.front() == '/') {
    for (char& c : path) c = c == '/' ? '\\' : c;
    path = "Z:" + path;
  }
  return path;
}

void SetString(HKEY root, const std::string& path, const char* name, const std::string& data) {
  UniqueHKey key;
  ASSERT_EQ(RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(), nullptr),
            ERROR_SUCCESS)
      << path;
  RegSetValueExA(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                 static_cast<DWORD>(data.size() + 1));
}

void DeleteTree(HKEY root, const std::string& path) { RegDeleteTreeA(root, path.c_str()); }

// A Run value whose name code page 949 lacks a character of: RegEnumValueA
// lists it as "CaptureFakeAgent\Update" (U+20A9 WON SIGN as a backslash).
const std::wstring kBestFitRunValue = L"CaptureFakeAgent\u20A9Update";

void DeleteRunValue(HKEY root) {
  UniqueHKey key;
  if (RegOpenKeyExA(root, expected::kRunKeyPath, 0, KEY_SET_VALUE, key.put()) == ERROR_SUCCESS) {
    RegDeleteValueA(key.get(), kFakeRunValue);
    RegDeleteValueW(key.get(), kBestFitRunValue.c_str());
  }
}

bool RunValueExists(HKEY root, const std::wstring& name) {
  UniqueHKey key;
  return RegOpenKeyExA(root, expected::kRunKeyPath, 0, KEY_QUERY_VALUE, key.put()) == ERROR_SUCCESS &&
         RegQueryValueExW(key.get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

// The fake target: a running agent started from its own folder, Run values
// under both roots, an Uninstall entry, keys under both roots, files in
// Program Files and in the user's local application data.
class FakeTarget {
 public:
  FakeTarget()
      : m_programFolder(*GetSpecialFolder(0x26) + "\\" + kFakeName),
        m_dataFolder(*GetSpecialFolder(0x1C) + "\\" + kFakeName) {
    Remove();
  }
  ~FakeTarget() { Remove(); }

  void Install() {
    CreateDirectoryA(m_programFolder.c_str(), nullptr);
    CreateDirectoryA((m_programFolder + "\\bin").c_str(), nullptr);
    CreateDirectoryA(m_dataFolder.c_str(), nullptr);
    WriteFileBytes(m_programFolder + "\\bin\\core.dll", "fake core");
    WriteFileBytes(m_programFolder + "\\readme.txt", "fake readme");
    WriteFileBytes(m_dataFolder + "\\cache.dat", "fake cache");
    WriteFileBytes(m_dataFolder + "\\" + kKoreanName + ".dat", "fake settings");
    m_agent = std::make_unique<RunningProgram>(m_programFolder + "\\capturefakeagent.exe");
    const std::string command = "\"" + m_programFolder + "\\capturefakeagent.exe\" /tray";
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
      SetString(root, expected::kRunKeyPath, kFakeRunValue, command);
    UniqueHKey run;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, expected::kRunKeyPath, 0, KEY_SET_VALUE, run.put()), ERROR_SUCCESS);
    const std::wstring wideCommand(command.begin(), command.end());  // ASCII
    ASSERT_EQ(RegSetValueExW(run.get(), kBestFitRunValue.c_str(), 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(wideCommand.c_str()),
                             static_cast<DWORD>((wideCommand.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
    const std::string entry = std::string(expected::kUninstallKeyPath) + kFakeName;
    SetString(HKEY_LOCAL_MACHINE, entry, "DisplayName", "\xC4\xB8\xC3\xB3 \xC6\xE4\xC0\xCC\xC5\xA9");  // 캡처 페이크
    SetString(HKEY_LOCAL_MACHINE, entry, "Publisher", "Fake Co.");
    SetString(HKEY_CURRENT_USER, "Software\\CaptureFakeCo\\Settings", "Theme", "dark");
    SetString(HKEY_CURRENT_USER, std::string("Software\\") + kKoreanName, "Theme", "dark");
    SetString(HKEY_LOCAL_MACHINE, "Software\\CaptureFakeCo", "InstallDir", m_programFolder);
  }

  bool AgentEnded() const { return !m_agent || m_agent->WaitEnded(); }

 private:
  void Remove() {
    m_agent.reset();
    RemoveTree(m_programFolder);
    RemoveTree(m_dataFolder);
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
      DeleteRunValue(root);
      DeleteTree(root, std::string(expected::kUninstallKeyPath) + kFakeName);
      DeleteTree(root, "Software\\CaptureFakeCo");
      DeleteTree(root, std::string("Software\\") + kKoreanName);
    }
  }

  std::string m_programFolder;
  std::string m_dataFolder;
  std::unique_ptr<RunningProgram> m_agent;
};

capture::Snapshot TakeSnapshot(const std::string& name) {
  const std::string path = kWork + "\\" + name;
  TestProcess capture(WindowsPath(TIDEMARK_CAPTURE),
                      "\"" + WindowsPath(TIDEMARK_CAPTURE) + "\" snapshot \"" + path + "\"");
  EXPECT_EQ(capture.WaitForExit(300000), 0) << "snapshot " << name;
  capture::Snapshot snapshot;
  std::string error;
  EXPECT_TRUE(capture::LoadSnapshot(path, snapshot, error)) << error;
  return snapshot;
}

// A copy of the real program with the script as its embedded one, replaced
// the way a resource compiler would have put it there.
int ScriptResources(const std::string& program, std::string& found);

// The built Tidemark.exe with the script put in by tidemark-pack's own PE
// work, as an author makes a remover; false unless the resource functions
// then find exactly one Korean RESDATA, holding the script's bytes.
bool ProgramWithScript(const std::string& program, const std::string& script) {
  std::string templateImage;
  if (!capture::ReadWholeFile(WindowsPath(TIDEMARK_EXE), templateImage)) return false;
  std::string packed;
  pack::PackReport report;
  std::string error;
  if (!pack::PackScript(templateImage, script, packed, report, error)) {
    ADD_FAILURE() << error;
    return false;
  }
  {
    // Closed before the resource functions map the file.
    const UniqueFile file(CreateFileA(program.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    if (!file || !WriteFile(file.get(), packed.data(), static_cast<DWORD>(packed.size()), &written, nullptr) ||
        written != packed.size()) {
      return false;
    }
  }
  std::string found;
  return ScriptResources(program, found) == 1 && found == script;
}

BOOL CALLBACK CountLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR count) {
  if (language == MAKELANGID(LANG_KOREAN, SUBLANG_KOREAN)) ++*reinterpret_cast<int*>(count);
  return TRUE;
}

// How many RCDATA resources named RESDATA the program holds, in Korean, and
// the bytes that the resource functions find for it.
int ScriptResources(const std::string& program, std::string& found) {
  const UniqueModule module(
      LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
  if (!module) return -1;
  int count = 0;
  EnumResourceLanguagesA(module.get(), RT_RCDATA, "RESDATA", &CountLanguage, reinterpret_cast<LONG_PTR>(&count));
  const HRSRC info = FindResourceExA(module.get(), RT_RCDATA, "RESDATA", MAKELANGID(LANG_KOREAN, SUBLANG_KOREAN));
  const HGLOBAL loaded = info ? LoadResource(module.get(), info) : nullptr;
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (bytes != nullptr) found.assign(static_cast<const char*>(bytes), SizeofResource(module.get(), info));
  return count;
}

std::string Listed(const capture::SnapshotChanges& changes) {
  std::string text;
  for (const auto& key : changes.newKeys) text += "  key added: " + capture::DescribeKey(key) + "\n";
  for (const auto& key : changes.removedKeys) text += "  key removed: " + capture::DescribeKey(key) + "\n";
  for (const auto& value : changes.newValues)
    text += "  value added: " + capture::DescribeKey(value.key) + " " + value.name + "\n";
  for (const auto& value : changes.changedValues)
    text += "  value changed: " + capture::DescribeKey(value.key) + " " + value.name + "\n";
  for (const auto& value : changes.removedValues)
    text += "  value removed: " + capture::DescribeKey(value.key) + " " + value.name + "\n";
  for (const auto& folder : changes.newFolders) text += "  folder added: " + folder + "\n";
  for (const auto& folder : changes.removedFolders) text += "  folder removed: " + folder + "\n";
  for (const auto& file : changes.newFiles) text += "  file added: " + file.path + "\n";
  for (const auto& file : changes.removedFiles) text += "  file removed: " + file.path + "\n";
  for (const auto& file : changes.changedFiles) text += "  file changed: " + file.path + "\n";
  for (const auto& process : changes.newProcesses) text += "  process started: " + process + "\n";
  for (const auto& service : changes.newServices) text += "  service added: " + service.name + "\n";
  return text;
}

TEST(CaptureEndToEnd, TheDraftOfAnObservedInstallationRemovesItAndNothingElse) {
  // A draft names the registry as the shipped 32-bit program sees it; the
  // win64 build's program sees the other view.
  if (sizeof(void*) == 8) GTEST_SKIP() << "drafts are for the 32-bit program; the win32 build runs this test";
  RemoveTree(kWork);
  ASSERT_TRUE(CreateDirectoryA(kWork.c_str(), nullptr));
  // A copy of the script that an earlier program run left behind would go
  // with this run's close and show as a change.
  DeleteFileA((*GetTempFolder() + "\\" + kScriptFileName).c_str());
  FakeTarget target;
  const capture::Snapshot before = TakeSnapshot("before.snap");
  target.Install();
  const capture::Snapshot installed = TakeSnapshot("after.snap");
  const auto korean = std::find_if(installed.files.begin(), installed.files.end(), [](const capture::FileEntry& file) {
    const std::string name = std::string(kKoreanName) + ".dat";
    return file.path.size() > name.size() && file.path.compare(file.path.size() - name.size(), name.size(), name) == 0;
  });
  EXPECT_NE(korean, installed.files.end())
      << "no file of the Korean name: Wine needs the Linux locale ko_KR.UTF-8 for such names "
         "(scripts/install-deps.sh makes it)";

  const std::string draftPath = kWork + "\\draft.ini";
  TestProcess draft(WindowsPath(TIDEMARK_CAPTURE), "\"" + WindowsPath(TIDEMARK_CAPTURE) + "\" draft \"" + kWork +
                                                       "\\before.snap\" \"" + kWork + "\\after.snap\" -o \"" +
                                                       draftPath + "\"");
  ASSERT_EQ(draft.WaitForExit(), 0);
  std::string script;
  ASSERT_TRUE(capture::ReadWholeFile(draftPath, script));
  SCOPED_TRACE("the draft:\n" + script);
  for (const lint::Finding& finding : lint::LintScript(script).findings) {
    EXPECT_NE(finding.severity, lint::Severity::Error) << finding.line << ": " << finding.message;
  }

  const std::string program = kWork + "\\Tidemark.exe";
  ASSERT_TRUE(ProgramWithScript(program, script));
  const trial::StartRun run = trial::PressStart(program);
  ASSERT_EQ(run.end, trial::RunEnd::Completed) << run.problem;
  EXPECT_TRUE(target.AgentEnded());
  const capture::Snapshot removed = TakeSnapshot("removed.snap");

  // The best-fit Run value is passed over: no entry may name its look-alike,
  // which would delete another value or none. It is the one thing left.
  EXPECT_EQ(script.find("CaptureFakeAgent\\Update"), std::string::npos);
  EXPECT_TRUE(RunValueExists(HKEY_CURRENT_USER, kBestFitRunValue));
  const trial::TrialVerdict verdict = trial::JudgeTrial(script, installed, removed, {});
  EXPECT_NE(script.find(std::string("Software\\") + kKoreanName), std::string::npos) << "two keys below Software";
  EXPECT_GE(verdict.removed, 11u) << trial::FormatTrialVerdict("draft.ini", verdict);
  EXPECT_TRUE(verdict.Passed()) << trial::FormatTrialVerdict("draft.ini", verdict);
  const capture::SnapshotChanges left = capture::CompareSnapshots(before, removed);
  EXPECT_TRUE(left.Empty()) << "changed between the first and the last snapshot:\n" << Listed(left);
  RemoveTree(kWork);
}

TEST(PackedProgram, AMegabyteScriptMovesTheRelocationsAndTheProgramStillRuns) {
  // A script this large makes the resource section grow past the section
  // after it, which tidemark-pack moves: the packed program must still load,
  // show its script's title and run to its last line.
  std::string script =
      "[APPTYPE]\r\ncategory=test\r\ntitle=packed-probe\r\n[PROCESS]\r\nitem1=tidemark-packed-probe.exe\r\n";
  while (script.size() < (1u << 20)) script += "; padding that the reader passes over as a comment line\r\n";
  CreateDirectoryA(kWork.c_str(), nullptr);
  const std::string program = kWork + "\\Tidemark.exe";
  ASSERT_TRUE(ProgramWithScript(program, script));
  const trial::StartRun run = trial::PressStart(program);
  EXPECT_EQ(run.end, trial::RunEnd::Completed) << run.problem;
  RemoveTree(kWork);
}

}  // namespace
}  // namespace tidemark::testing
