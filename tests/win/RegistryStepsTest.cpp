// The registry steps against the real registry of the test prefix. Every key
// a test makes carries a name of its own and is removed afterwards. The
// win64 test build sees the 64-bit view; the shipped 32-bit program sees the
// 32-bit view, where the same paths lie elsewhere on 64-bit Windows.
#include <gtest/gtest.h>

#include "engine/RegistrySteps.h"
#include "engine/StatusLines.h"
#include "support/TestFiles.h"
#include "system/RegistryEntries.h"
#include "win/StepHarness.h"

namespace tidemark {
namespace {

using testing::StepHarness;

bool KeyExists(HKEY root, const std::string& path, REGSAM view = 0) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

void MakeKey(HKEY root, const std::string& path) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), ERROR_SUCCESS);
  RegSetValueExA(key, "marker", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2);
  RegCloseKey(key);
}

void SetString(HKEY root, const std::string& path, const std::string& name, const std::string& data) {
  ASSERT_EQ(RegSetKeyValueA(root, path.c_str(), name.c_str(), REG_SZ, data.c_str(), static_cast<DWORD>(data.size() + 1)),
            ERROR_SUCCESS);
}

std::optional<std::string> GetString(HKEY root, const std::string& path, const std::string& name) {
  char data[512] = {};
  DWORD size = sizeof data;
  if (RegGetValueA(root, path.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return std::string(data);
}

class RegistrySteps : public ::testing::Test {
 protected:
  void TearDown() override {
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
      RegDeleteTreeA(root, scratch.c_str());
      RegDeleteTreeA(root, (std::string(kUninstallKeyPath) + tag).c_str());
      RegDeleteTreeA(root, (std::string(kUninstallKeyPath) + tag + "-sibling").c_str());
      RegDeleteKeyValueA(root, kRunKeyPath, tag.c_str());
      RegDeleteKeyValueA(root, kRunKeyPath, (tag + "-sibling").c_str());
    }
  }

  std::vector<std::string> Run(void (*step)(StepContext&), const std::string& script) {
    StepHarness harness(script);
    step(harness);
    return harness.lines;
  }

  const std::string tag = "Tidemark" + std::to_string(GetCurrentProcessId()) + "-" +
                          ::testing::UnitTest::GetInstance()->current_test_info()->name();
  const std::string scratch = "Software\\TidemarkTests\\" + tag;
};

TEST_F(RegistrySteps, StartupValuesGoFromBothRootsAndSiblingsStay) {
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    SetString(root, kRunKeyPath, tag, "C:\\x.exe");
    SetString(root, kRunKeyPath, tag + "-sibling", "C:\\y.exe");
  }
  const auto lines = Run(RemoveStartupEntries, "[STARTRUN]\r\n" + tag + "=%PROGRAM_FILES%\\x.exe\r\nother=\r\n" +
                                                   tag + "-sibling=C:\\y.exe");
  EXPECT_EQ(lines, (std::vector<std::string>{status::kRemoveStartupEntries}));
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    EXPECT_EQ(GetString(root, kRunKeyPath, tag), std::nullopt);
    EXPECT_EQ(GetString(root, kRunKeyPath, tag + "-sibling"), "C:\\y.exe");  // after the end marker
  }
}

TEST_F(RegistrySteps, StartupValueOnlyUnderTheMachineRoot) {
  SetString(HKEY_LOCAL_MACHINE, kRunKeyPath, tag, "C:\\x.exe");
  SetString(HKEY_CURRENT_USER, kRunKeyPath, tag + "-sibling", "C:\\y.exe");
  RemoveRunEntry(tag, "ignored", true);
  EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, kRunKeyPath, tag), std::nullopt);
  EXPECT_EQ(GetString(HKEY_CURRENT_USER, kRunKeyPath, tag + "-sibling"), "C:\\y.exe");
  RemoveRunEntry(tag, "ignored", true);  // in neither root: nothing changes
}

TEST_F(RegistrySteps, OverwritingAStartupValueTouchesOnlyTheUserRoot) {
  SetString(HKEY_CURRENT_USER, kRunKeyPath, tag, "old");
  SetString(HKEY_LOCAL_MACHINE, kRunKeyPath, tag, "old");
  RemoveRunEntry(tag, "new", false);
  EXPECT_EQ(GetString(HKEY_CURRENT_USER, kRunKeyPath, tag), "new");
  EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, kRunKeyPath, tag), "old");
}

TEST_F(RegistrySteps, UninstallEntryGoesWithItsSubtreeFromBothRoots) {
  const std::string entry = std::string(kUninstallKeyPath) + tag;
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    MakeKey(root, entry + "\\Nested\\Deeper");
    MakeKey(root, entry + "-sibling");
  }
  const auto lines = Run(RemoveUninstallEntries, "[UNINSTALL]\r\nitem1=" + tag + "\r\nitem2=\\\r\nitem3=");
  EXPECT_EQ(lines, (std::vector<std::string>{status::kRemoveUninstallEntries}));
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    EXPECT_FALSE(KeyExists(root, entry));
    EXPECT_TRUE(KeyExists(root, entry + "-sibling"));  // "\" named the Uninstall key itself: refused
  }
  EXPECT_TRUE(RemoveUninstallEntry(tag));  // already gone: true
}

TEST_F(RegistrySteps, KeysAreDeletedBelowTheirParentInBothSections) {
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    MakeKey(root, scratch + "\\Vendor\\Deep\\Deeper");
    MakeKey(root, scratch + "\\FullPath\\Deep");
    MakeKey(root, scratch + "\\Sibling");
  }
  const std::string section = "\r\n" + scratch + "=Vendor\r\n" + scratch + "\\FullPath=FullPath\r\n";
  const auto lines = Run(RemoveRegistryKeys, "[HKEY_CURRENT_USER]" + section + "[HKEY_LOCAL_MACHINE]" + section);
  EXPECT_EQ(lines, (std::vector<std::string>{status::kRemoveRegistryKeys}));
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    EXPECT_FALSE(KeyExists(root, scratch + "\\Vendor"));
    EXPECT_FALSE(KeyExists(root, scratch + "\\FullPath"));
    EXPECT_TRUE(KeyExists(root, scratch + "\\Sibling"));
    EXPECT_TRUE(KeyExists(root, scratch));
  }
}

TEST_F(RegistrySteps, ValueInTheMiddleOfTheNameIsNotCutOut) {
  // The name stays whole: its key holds no subkey named by the value, so
  // nothing is deleted, and in particular not a key named by a cut path.
  // Cutting "Vendor"'s length off "...\Vendor\Sub" would open "...\Vend" and
  // delete its subkey "Vendor".
  MakeKey(HKEY_CURRENT_USER, scratch + "\\Vendor\\Sub");
  MakeKey(HKEY_CURRENT_USER, scratch + "\\Vend\\Vendor");
  Run(RemoveRegistryKeys, "[HKEY_CURRENT_USER]\r\n" + scratch + "\\Vendor\\Sub=Vendor");
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, scratch + "\\Vendor\\Sub"));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, scratch + "\\Vend\\Vendor"));
}

TEST_F(RegistrySteps, RootWipingValuesDeleteNothing) {
  MakeKey(HKEY_CURRENT_USER, scratch + "\\Keep");
  MakeKey(HKEY_LOCAL_MACHINE, scratch + "\\Gone");
  Run(RemoveRegistryKeys, "[HKEY_CURRENT_USER]\r\n" + scratch + "=\\\r\nSoftware=\\\\\r\nend=\r\n" + scratch +
                              "=Keep\r\n[HKEY_LOCAL_MACHINE]\r\n" + scratch + "=Gone");
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, scratch + "\\Keep"));  // after the end marker
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software\\Microsoft"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, scratch + "\\Gone"));  // the second pass still ran
}

TEST_F(RegistrySteps, RecoveryRecordsOfOneToFourFields) {
  const std::string script = "[REGISTRY_RECOVERY]\r\n"
                             "r1=HKEY_LOCAL_MACHINE|=|" + scratch + "\\Machine|=|Mode|=|1\r\n"
                             "r2=hkey_local_machine|=|" + scratch + "\\Lower\r\n"
                             "r3=HKEY_CURRENT_USER|=|" + scratch + "\\Three|=|Name\r\n"
                             "r4=HKLM|=|" + scratch + "\\Empty|=||=|ignored\r\n"
                             "r5=" + scratch + "\\NoDelimiter\r\n";
  const auto lines = Run(RestoreRegistry, script);
  EXPECT_EQ(lines, (std::vector<std::string>{status::kRestoreRegistry}));
  EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, scratch + "\\Machine", "Mode"), "1");
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, scratch + "\\Lower"));  // unknown root: the user's
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, scratch + "\\Lower"));
  EXPECT_EQ(GetString(HKEY_CURRENT_USER, scratch + "\\Three", "Name"), "");  // no data: written empty
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, scratch + "\\Empty"));
  EXPECT_EQ(GetString(HKEY_CURRENT_USER, scratch + "\\Empty", ""), std::nullopt);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, scratch + "\\NoDelimiter"));
}

TEST_F(RegistrySteps, EmbeddedScriptRemovesItsKeysAndNothingBeside) {
  const std::string arpCache = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache";
  MakeKey(HKEY_CURRENT_USER, "SOFTWARE\\lumenseek\\Settings");
  MakeKey(HKEY_CURRENT_USER, "SOFTWARE\\lumenseek-decoy");
  MakeKey(HKEY_LOCAL_MACHINE, arpCache + "\\lumenseek\\Sub");
  MakeKey(HKEY_LOCAL_MACHINE, arpCache + "\\decoy");
  const auto lines = Run(RemoveRegistryKeys, testing::DefaultScriptBytes());
  EXPECT_EQ(lines, (std::vector<std::string>{status::kRemoveRegistryKeys}));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "SOFTWARE\\lumenseek"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, arpCache + "\\lumenseek"));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "SOFTWARE\\lumenseek-decoy"));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, arpCache + "\\decoy"));
  RegDeleteTreeA(HKEY_CURRENT_USER, "SOFTWARE\\lumenseek-decoy");
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, (arpCache + "\\decoy").c_str());
}

}  // namespace
}  // namespace tidemark
