// The preview on a simulated installation: it reports what is there, changes
// nothing, and a run afterwards removes exactly what it reported.
#include <gtest/gtest.h>

#include <map>

#include "engine/Preview.h"
#include "engine/RegistryEntries.h"
#include "engine/StepSlots.h"
#include "support/ExpectedTexts.h"
#include "win/ScratchKey.h"
#include "win/StepHarness.h"
#include "win/TestFolders.h"

namespace tidemark {
namespace {

using testing::ScratchFolder;
using testing::StepHarness;

// Every key and value below a key, as "path" and "path=value" lines.
void DumpKey(HKEY root, const std::string& path, std::vector<std::string>& lines) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  lines.push_back(path);
  char name[512];
  BYTE data[1024];
  for (DWORD index = 0;; ++index) {
    DWORD nameSize = sizeof name, dataSize = sizeof data;
    if (RegEnumValueA(key, index, name, &nameSize, nullptr, nullptr, data, &dataSize) != ERROR_SUCCESS) break;
    lines.push_back(path + ":" + name + "=" + std::string(reinterpret_cast<char*>(data), dataSize));
  }
  std::vector<std::string> children;
  for (DWORD index = 0;; ++index) {
    DWORD nameSize = sizeof name;
    if (RegEnumKeyExA(key, index, name, &nameSize, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    children.push_back(name);
  }
  RegCloseKey(key);
  for (const std::string& child : children) DumpKey(root, path + "\\" + child, lines);
}

void DumpFolder(const std::string& folder, std::vector<std::string>& lines) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    lines.push_back(folder + "\\" + name + ":" + std::to_string(found.dwFileAttributes));
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) DumpFolder(folder + "\\" + name, lines);
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

class Preview : public ::testing::Test {
 protected:
  Preview() {
    CreateDirectoryA(program.c_str(), nullptr);
    CreateDirectoryA((program + "\\sub").c_str(), nullptr);
    testing::WriteFileBytes(program + "\\a.dat", "x");
    testing::WriteFileBytes(program + "\\sub\\b.dat", "x");
    CreateDirectoryA(emptyFolder.c_str(), nullptr);
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
      RegSetKeyValueA(root, expected::kRunKeyPath, tag.c_str(), REG_SZ, "x", 2);
      RegSetKeyValueA(root, (std::string(expected::kUninstallKeyPath) + tag + "\\Nested").c_str(), "v", REG_SZ, "x", 2);
    }
    RegSetKeyValueA(HKEY_CURRENT_USER, (scratchKey / "Deep").c_str(), "v", REG_SZ, "x", 2);
  }
  ~Preview() override {
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
      RegDeleteKeyValueA(root, expected::kRunKeyPath, tag.c_str());
      RegDeleteTreeA(root, (std::string(expected::kUninstallKeyPath) + tag).c_str());
    }
  }

  std::vector<std::string> Snapshot() const {
    std::vector<std::string> lines;
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
      DumpKey(root, expected::kRunKeyPath, lines);
      DumpKey(root, std::string(expected::kUninstallKeyPath) + tag, lines);
    }
    DumpKey(HKEY_CURRENT_USER, "Software\\TidemarkTests", lines);
    DumpFolder(scratch.Path(), lines);
    return lines;
  }

  ScratchFolder scratch;
  testing::TempFolderRedirect redirect{scratch.Path()};
  const std::string tag = "TidemarkPreview" + std::to_string(GetCurrentProcessId());
  const testing::ScratchKey scratchKey{HKEY_CURRENT_USER, 0, tag};
  const std::string program = scratch / "program";
  const std::string emptyFolder = scratch / "empty";
  const std::string script = "[PROCESS]\r\nitem1=" + tag + ".exe\r\nitem2=csrss.exe\r\n[STARTRUN]\r\n" + tag +
                             "=%TEMP%\\program\\x.exe\r\n[UNINSTALL]\r\nitem1=" + tag + "\r\nitem2=missing" + tag +
                             "\r\n[HKEY_CURRENT_USER]\r\nSoftware\\TidemarkTests=" + tag +
                             "\r\nSoftware=\\\r\n"
                             "[FILE]\r\nitem1=%TEMP%\\program\\*.*\r\n[PATH]\r\nitem1=%TEMP%\\program\r\n"
                             "item2=%TEMP%\\empty\r\n";
};

TEST_F(Preview, ReportsWhatIsThereAndChangesNothing) {
  const std::vector<std::string> before = Snapshot();
  StepHarness harness(script);
  const PreviewReport report = BuildPreview(harness.Script(), harness.Folders());
  EXPECT_EQ(Snapshot(), before);

  ASSERT_EQ(report.processes.size(), 2u);
  EXPECT_EQ(report.processes[0].running, 0);
  EXPECT_FALSE(report.processes[0].refused);
  EXPECT_TRUE(report.processes[1].refused);  // Windows' own: a run never ends it
  ASSERT_EQ(report.runValues.size(), 1u);
  EXPECT_TRUE(report.runValues[0].currentUser && report.runValues[0].localMachine);
  ASSERT_EQ(report.uninstallEntries.size(), 4u);  // two entries under two roots
  EXPECT_TRUE(report.uninstallEntries[0].exists && report.uninstallEntries[1].exists);
  EXPECT_EQ(report.uninstallEntries[0].subkeys, 1);
  EXPECT_EQ(report.uninstallEntries[0].values, 1);
  EXPECT_FALSE(report.uninstallEntries[2].exists);
  ASSERT_EQ(report.registryKeys.size(), 2u);
  EXPECT_TRUE(report.registryKeys[0].exists);
  EXPECT_EQ(report.registryKeys[0].path, "Software\\TidemarkTests\\" + tag);
  EXPECT_TRUE(report.registryKeys[1].refused);
  ASSERT_EQ(report.files.size(), 1u);  // the subfolder is no file
  EXPECT_EQ(report.files[0].path, program + "\\a.dat");
  ASSERT_EQ(report.folders.size(), 2u);
  EXPECT_FALSE(report.folders[0].wouldBeEmpty);  // still holds "sub"
  EXPECT_TRUE(report.folders[1].wouldBeEmpty);
  EXPECT_TRUE(report.skipped.empty());
}

TEST_F(Preview, ARunRemovesExactlyWhatThePreviewListed) {
  StepHarness harness(script);
  const PreviewReport report = BuildPreview(harness.Script(), harness.Folders());
  for (int slot : {1, 4, 5, 6, 7}) RunStepOfSlot(harness, slot);
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    EXPECT_NE(RegGetValueA(root, expected::kRunKeyPath, tag.c_str(), RRF_RT_ANY, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
  }
  for (const KeyPreview& key : report.uninstallEntries) {
    HKEY root = key.root == "HKEY_CURRENT_USER" ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
    HKEY opened = nullptr;
    EXPECT_NE(RegOpenKeyExA(root, key.path.c_str(), 0, KEY_READ, &opened), ERROR_SUCCESS) << key.path;
  }
  EXPECT_FALSE(testing::FileExists(report.files[0].path));
  EXPECT_TRUE(testing::FileExists(program + "\\sub\\b.dat"));  // not listed, not removed
  EXPECT_NE(GetFileAttributesA(program.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetFileAttributesA(emptyFolder.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace tidemark
