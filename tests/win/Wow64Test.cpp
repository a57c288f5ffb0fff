// What only WoW64 shows: the shipped 32-bit program on 64-bit Windows sees
// the 32-bit side of the registry and of the system folders, while its
// recovery writes go to the 64-bit side on purpose. These tests need a
// 32-bit process on 64-bit Windows and are skipped, saying so, elsewhere.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "engine/PathMacros.h"
#include "engine/RegistrySteps.h"
#include "engine/ShellFolderLookup.h"
#include "support/TestFiles.h"
#include "system/PeExports.h"
#include "system/Services.h"
#include "system/Waits.h"
#include "win/LumenseekInstallation.h"
#include "win/ScratchKey.h"
#include "win/StepHarness.h"
#include "win/TestFolders.h"

namespace tidemark {
namespace {

using testing::KeyExists;
using testing::MakeKey;
using testing::RunsUnderWow64;
using testing::ValueExists;

constexpr REGSAM k32 = KEY_WOW64_32KEY;
constexpr REGSAM k64 = KEY_WOW64_64KEY;

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; });
  return text;
}

std::string WindowsFolder() {
  char folder[MAX_PATH] = {};
  GetWindowsDirectoryA(folder, MAX_PATH);
  return folder;
}

// The machine field of a PE file's header as this process reads the file.
std::uint16_t MachineOf(const std::string& path) {
  const std::string bytes = testing::ReadWholeFile(path);
  if (bytes.size() < 0x40) return 0;
  std::uint32_t peOffset = 0;
  std::memcpy(&peOffset, bytes.data() + 0x3C, sizeof peOffset);
  if (bytes.size() < peOffset + 6u || bytes.compare(peOffset, 4, std::string("PE\0\0", 4)) != 0) return 0;
  std::uint16_t machine = 0;
  std::memcpy(&machine, bytes.data() + peOffset + 4, sizeof machine);
  return machine;
}

class Wow64 : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!RunsUnderWow64()) GTEST_SKIP() << "needs a 32-bit process on 64-bit Windows (the shipped build)";
    RemoveCaseUninstallKeys();
  }
  void TearDown() override { RemoveCaseUninstallKeys(); }
  // Named after the case, so an earlier run that crashed may have left them.
  void RemoveCaseUninstallKeys() const {
    for (const REGSAM view : {k32, k64}) {
      testing::DeleteKeyTree(HKEY_LOCAL_MACHINE, std::string(testing::kUninstallKey) + "\\" + tag, view);
    }
  }

  // The same path in both views of HKEY_LOCAL_MACHINE\Software.
  const testing::ScratchKey key32{HKEY_LOCAL_MACHINE, k32};
  const testing::ScratchKey key64{HKEY_LOCAL_MACHINE, k64};
  const std::string tag = key32.Name();
  const std::string scratch = key32.Path();
};

TEST_F(Wow64, RemovalsActInThe32BitViewAndLeaveTheSameNamesOfThe64BitView) {
  for (const REGSAM view : {k32, k64}) {
    MakeKey(HKEY_LOCAL_MACHINE, scratch + "\\Vendor\\Sub", view);
    MakeKey(HKEY_LOCAL_MACHINE, std::string(testing::kUninstallKey) + "\\" + tag, view);
  }
  testing::StepHarness harness("[UNINSTALL]\r\nitem1=" + tag + "\r\n[HKEY_LOCAL_MACHINE]\r\n" + scratch +
                               "=Vendor\r\n");
  RemoveUninstallEntries(harness);
  RemoveRegistryKeys(harness);
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, scratch + "\\Vendor", k32));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, scratch + "\\Vendor\\Sub", k64));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, std::string(testing::kUninstallKey) + "\\" + tag, k32));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, std::string(testing::kUninstallKey) + "\\" + tag, k64));
}

TEST_F(Wow64, RecoveryWritesIntoThe64BitViewAndNotIntoWow6432Node) {
  testing::StepHarness harness("[REGISTRY_RECOVERY]\r\nr1=HKEY_LOCAL_MACHINE|=|" + scratch +
                               "\\Restored|=|Mode|=|1\r\n");
  RestoreRegistry(harness);
  EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, scratch + "\\Restored", "Mode", k64));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, scratch + "\\Restored", k32));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\WOW6432Node\\TidemarkTests\\" + tag + "\\Restored", k64));
}

TEST_F(Wow64, FolderMacrosExpandToThe32BitFolders) {
  const ShellFolderLookup folders;
  std::string programFiles;
  ASSERT_TRUE(ExpandPathMacros("%PROGRAM_FILES%", programFiles, folders));
  EXPECT_EQ(Lower(programFiles), Lower(std::string(1, WindowsFolder()[0]) + ":\\Program Files (x86)"));
  std::string programFilesX86;
  ASSERT_TRUE(ExpandPathMacros("%PROGRAM_FILESX86%", programFilesX86, folders));
  EXPECT_EQ(Lower(programFilesX86), Lower(programFiles));

  // %SYSTEM% is spelt System32, and the file system redirector shows this
  // process SysWOW64 behind it: the programs found there are 32-bit.
  std::string system;
  ASSERT_TRUE(ExpandPathMacros("%SYSTEM%", system, folders));
  EXPECT_EQ(Lower(system), Lower(WindowsFolder() + "\\system32"));
  EXPECT_EQ(MachineOf(system + "\\sc.exe"), kMachineI386);
  std::string systemX86;
  ASSERT_TRUE(ExpandPathMacros("%SYSTEMX86%", systemX86, folders));
  EXPECT_EQ(Lower(systemX86), Lower(WindowsFolder() + "\\syswow64"));
  // The native system folder is still there, with the 64-bit programs.
  EXPECT_EQ(MachineOf(WindowsFolder() + "\\Sysnative\\sc.exe"), kMachineAmd64);
}

TEST_F(Wow64, ToolsStartedByTheSystemFolderPathAreThe32BitOnes) {
  // A 32-bit cmd reports x86 as its processor architecture under WoW64; the
  // 64-bit one would report AMD64.
  testing::ScratchFolder folder;
  const std::string report = folder / "architecture.txt";
  ASSERT_TRUE(ShellRunAndWait("cmd", "/c echo %PROCESSOR_ARCHITECTURE%>\"" + report + "\""));
  EXPECT_EQ(testing::ReadWholeFile(report), "x86\r\n");
  char system[MAX_PATH] = {};
  GetSystemDirectoryA(system, MAX_PATH);
  EXPECT_EQ(MachineOf(std::string(system) + "\\sc.exe"), kMachineI386);
  EXPECT_EQ(MachineOf(std::string(system) + "\\regsvr32.exe"), kMachineI386);
}

TEST_F(Wow64, A64BitComServerIsRefusedAndA32BitOneIsRead) {
  // oleaut32 exports DllRegisterServer on both sides; only the 32-bit one
  // can be registered by this process's regsvr32.
  const std::string native = WindowsFolder() + "\\Sysnative\\oleaut32.dll";
  const std::string wow = WindowsFolder() + "\\SysWOW64\\oleaut32.dll";
  const std::string nativeImage = testing::ReadWholeFile(native);
  const std::string wowImage = testing::ReadWholeFile(wow);
  ASSERT_FALSE(nativeImage.empty());
  ASSERT_FALSE(wowImage.empty());
  EXPECT_TRUE(PeImageExports(nativeImage, kMachineAmd64, "DllRegisterServer"));  // a PE32+ image, readable
  EXPECT_FALSE(PeImageExports(nativeImage, kMachineI386, "DllRegisterServer"));
  EXPECT_TRUE(PeImageExports(wowImage, kMachineI386, "DllRegisterServer"));  // PE32
  EXPECT_FALSE(RegisterComServer(native, false)) << "regsvr32 must not be started for a 64-bit module";
}

}  // namespace
}  // namespace tidemark
