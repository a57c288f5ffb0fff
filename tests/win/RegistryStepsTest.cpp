// The registry steps against the real registry of the test prefix. Every key
// a test makes carries its case's name and is removed before and after. The
// win64 test build sees the 64-bit view; the shipped 32-bit program sees the
// 32-bit view, where the same paths lie elsewhere on 64-bit Windows.
#include <gtest/gtest.h>

#include "engine/Preview.h"
#include "engine/RegistryEntries.h"
#include "engine/RegistrySteps.h"
#include "support/ExpectedTexts.h"
#include "support/FakeFolders.h"
#include "support/TestFiles.h"
#include "win/RegistryLinks.h"
#include "win/ScratchKey.h"
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
  ASSERT_EQ(
      RegSetKeyValueA(root, path.c_str(), name.c_str(), REG_SZ, data.c_str(), static_cast<DWORD>(data.size() + 1)),
      ERROR_SUCCESS);
}

// The string value, read in the caller's registry view or in the one given.
std::optional<std::string> GetString(HKEY root, const std::string& path, const std::string& name, REGSAM view = 0) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_QUERY_VALUE | view, &key) != ERROR_SUCCESS) return std::nullopt;
  char data[512] = {};
  DWORD size = sizeof data - 1;
  DWORD type = 0;
  const LONG status = RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS || type != REG_SZ) return std::nullopt;
  return std::string(data);
}

class RegistrySteps : public ::testing::Test {
 protected:
  // What a case makes outside its scratch keys carries its name too; an
  // earlier run that crashed may have left it, so it goes before and after.
  void SetUp() override {
    RemoveNamedAfterTheCase();
    userWow6432NodeBefore = KeyExists(HKEY_CURRENT_USER, "Software\\WOW6432Node", KEY_WOW64_64KEY);
  }
  // Windows shares HKEY_CURRENT_USER\Software between the views and has no
  // Software\WOW6432Node there. Wine, once a key of that name exists, sends
  // every 32-bit access below HKEY_CURRENT_USER\Software into it, for every
  // later test and program of the prefix (Wine's own settings among them):
  // no case may make one.
  void TearDown() override {
    RemoveNamedAfterTheCase();
    if (!userWow6432NodeBefore) {
      EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\WOW6432Node", KEY_WOW64_64KEY))
          << "the case left HKEY_CURRENT_USER\\Software\\WOW6432Node, which Wine takes as the 32-bit view";
    }
  }
  void RemoveNamedAfterTheCase() const {
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
      for (const std::string& runOnce : {kRunOnce, kRunOnce32}) testing::DeleteKeyTree(root, runOnce + "\\" + tag);
      testing::DeleteKeyTree(root, std::string(expected::kUninstallKeyPath) + tag);
      testing::DeleteKeyTree(root, std::string(expected::kUninstallKeyPath) + tag + "-sibling");
      RegDeleteKeyValueA(root, expected::kRunKeyPath, tag.c_str());
      RegDeleteKeyValueA(root, expected::kRunKeyPath, (tag + "-sibling").c_str());
    }
  }
  bool userWow6432NodeBefore = true;

  std::vector<std::string> Run(void (*step)(StepContext&), const std::string& script) {
    StepHarness harness(script);
    step(harness);
    return harness.lines;
  }

  // The same path under both roots, wiped in both views: recovery writes
  // into the 64-bit view, another key for a 32-bit process below
  // HKEY_LOCAL_MACHINE\Software (below HKEY_CURRENT_USER\Software the views
  // share one key).
  const testing::ScratchKey userKey{HKEY_CURRENT_USER};
  const testing::ScratchKey userKey64{HKEY_CURRENT_USER, KEY_WOW64_64KEY};
  const testing::ScratchKey machineKey{HKEY_LOCAL_MACHINE};
  const testing::ScratchKey machineKey64{HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY};
  const std::string tag = userKey.Name();
  const std::string scratch = userKey.Path();
  const std::string kRunOnce = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
  const std::string kRunOnce32 = "Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
};

TEST_F(RegistrySteps, StartupValuesGoFromBothRootsAndSiblingsStay) {
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    SetString(root, expected::kRunKeyPath, tag, "C:\\x.exe");
    SetString(root, expected::kRunKeyPath, tag + "-sibling", "C:\\y.exe");
  }
  const auto lines = Run(RemoveStartupEntries,
                         "[STARTRUN]\r\n" + tag + "=%PROGRAM_FILES%\\x.exe\r\nother=\r\n" + tag + "-sibling=C:\\y.exe");
  EXPECT_EQ(lines, (std::vector<std::string>{expected::kRemoveStartupEntries}));
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    EXPECT_EQ(GetString(root, expected::kRunKeyPath, tag), std::nullopt);
    EXPECT_EQ(GetString(root, expected::kRunKeyPath, tag + "-sibling"), "C:\\y.exe");  // after the end marker
  }
}

TEST_F(RegistrySteps, StartupValueGoesByItsNameEvenWhenItsCommandsFolderIsUnknown) {
  // The command's folder is not needed to delete the value by its name.
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    SetString(root, expected::kRunKeyPath, tag, "C:\\x.exe");
    SetString(root, expected::kRunKeyPath, tag + "-sibling", "C:\\y.exe");
  }
  testing::FakeFolders folders;
  folders.folders.erase(38);  // no Program Files folder on this "machine"
  StepHarness harness("[STARTRUN]\r\n" + tag + "=%PROGRAM_FILES%\\x.exe", &folders);
  RemoveStartupEntries(harness);
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    EXPECT_EQ(GetString(root, expected::kRunKeyPath, tag), std::nullopt);
    EXPECT_EQ(GetString(root, expected::kRunKeyPath, tag + "-sibling"), "C:\\y.exe");
  }
}

TEST_F(RegistrySteps, StartupValueOnlyUnderTheMachineRoot) {
  SetString(HKEY_LOCAL_MACHINE, expected::kRunKeyPath, tag, "C:\\x.exe");
  SetString(HKEY_CURRENT_USER, expected::kRunKeyPath, tag + "-sibling", "C:\\y.exe");
  RemoveRunEntry(tag, "ignored", true);
  EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, expected::kRunKeyPath, tag), std::nullopt);
  EXPECT_EQ(GetString(HKEY_CURRENT_USER, expected::kRunKeyPath, tag + "-sibling"), "C:\\y.exe");
  RemoveRunEntry(tag, "ignored", true);  // in neither root: nothing changes
}

TEST_F(RegistrySteps, OverwritingAStartupValueTouchesOnlyTheUserRoot) {
  SetString(HKEY_CURRENT_USER, expected::kRunKeyPath, tag, "old");
  SetString(HKEY_LOCAL_MACHINE, expected::kRunKeyPath, tag, "old");
  RemoveRunEntry(tag, "new", false);
  EXPECT_EQ(GetString(HKEY_CURRENT_USER, expected::kRunKeyPath, tag), "new");
  EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, expected::kRunKeyPath, tag), "old");
}

TEST_F(RegistrySteps, UninstallEntryGoesWithItsSubtreeFromBothRoots) {
  const std::string entry = std::string(expected::kUninstallKeyPath) + tag;
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    MakeKey(root, entry + "\\Nested\\Deeper");
    MakeKey(root, entry + "-sibling");
  }
  const auto lines = Run(RemoveUninstallEntries, "[UNINSTALL]\r\nitem1=" + tag + "\r\nitem2=\\\r\nitem3=");
  EXPECT_EQ(lines, (std::vector<std::string>{expected::kRemoveUninstallEntries}));
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
    MakeKey(root, scratch + "\\OtherCase\\Deep");
    MakeKey(root, scratch + "\\Sibling");
  }
  // A full-path name whose last component differs from the value only in
  // case names the same key and is cut to its parent like an exact one.
  const std::string section =
      "\r\n" + scratch + "=Vendor\r\n" + scratch + "\\FullPath=FullPath\r\n" + scratch + "\\OTHERCASE=OtherCase\r\n";
  const auto lines = Run(RemoveRegistryKeys, "[HKEY_CURRENT_USER]" + section + "[HKEY_LOCAL_MACHINE]" + section);
  EXPECT_EQ(lines, (std::vector<std::string>{expected::kRemoveRegistryKeys}));
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    EXPECT_FALSE(KeyExists(root, scratch + "\\Vendor"));
    EXPECT_FALSE(KeyExists(root, scratch + "\\FullPath"));
    EXPECT_FALSE(KeyExists(root, scratch + "\\OtherCase"));
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

TEST_F(RegistrySteps, ValuesFromTheRootDeleteNothingAndTheWalkGoesOn) {
  // Mended fault: a value beginning with "\\" was resolved from the root, so
  // "SOFTWARE\\Vendor=\\Software" deleted all of HKEY_CURRENT_USER\\Software.
  // Here such values name scratch keys outside their entry's parent.
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    MakeKey(root, scratch + "\\Vendor");
    MakeKey(root, scratch + "\\Target\\Deep");
    MakeKey(root, scratch + "\\Gone");
  }
  const std::string section = "\r\n" + scratch + "\\Vendor=\\" + scratch + "\\Target\r\nSoftware=\\" + scratch +
                              "\\Target\\\r\n" + scratch + "=Gone\r\n";
  Run(RemoveRegistryKeys, "[HKEY_CURRENT_USER]" + section + "[HKEY_LOCAL_MACHINE]" + section);
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    EXPECT_TRUE(KeyExists(root, scratch + "\\Target\\Deep"));
    EXPECT_FALSE(KeyExists(root, scratch + "\\Gone"));
  }
}

TEST_F(RegistrySteps, UninstallValuesWithABackslashDeleteNothing) {
  const std::string entry = std::string(expected::kUninstallKeyPath) + tag;
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    MakeKey(root, entry + "\\Nested");
    MakeKey(root, entry + "-sibling");
    MakeKey(root, scratch + "\\Target");
  }
  const auto lines = Run(RemoveUninstallEntries, "[UNINSTALL]\r\nitem1=" + tag + "\\Nested\r\nitem2=\\" + scratch +
                                                     "\\Target\r\nitem3=" + tag + "\\\r\nitem4=" + tag + "-sibling");
  EXPECT_EQ(lines, (std::vector<std::string>{expected::kRemoveUninstallEntries}));
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    EXPECT_TRUE(KeyExists(root, entry + "\\Nested"));
    EXPECT_TRUE(KeyExists(root, scratch + "\\Target"));
    EXPECT_FALSE(KeyExists(root, entry + "-sibling"));  // the walk went on
  }
  EXPECT_FALSE(RemoveUninstallEntry(tag + "\\Nested"));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, entry + "\\Nested"));
}

TEST_F(RegistrySteps, ProtectedKeysAreRefusedHoweverSpelt) {
  // Mended fault: "SOFTWARE=SOFTWARE" deleted what it could of
  // HKEY_LOCAL_MACHINE\SOFTWARE. The refusal comes from one table, checked in
  // full by the host tests; here the steps must consult it for every
  // spelling. Only small shared keys are aimed at (RunOnce, Run), so that a
  // regression costs the test prefix little: each holds a decoy of this test.
  // (The 32-bit view's RunOnce is spelt under both roots, but its decoy is
  // made only where Windows has the key: below HKEY_CURRENT_USER it would
  // be a Software\WOW6432Node of the user's own, see TearDown.)
  const std::string decoy = "\\" + tag;
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    MakeKey(root, kRunOnce + decoy);
    SetString(root, expected::kRunKeyPath, tag + "-sibling", "C:\\y.exe");
    MakeKey(root, scratch + "\\Gone");
  }
  MakeKey(HKEY_LOCAL_MACHINE, kRunOnce32 + decoy);
  const std::string section =
      "\r\nSoftware\\Microsoft\\Windows\\CurrentVersion=RunOnce"
      "\r\nSOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\RUNONCE=RunOnce"
      "\r\nsoftware\\\\microsoft\\windows\\currentversion\\\\=runonce\\\\"
      "\r\nSoftware\\Microsoft\\Windows=CurrentVersion\\RunOnce"
      "\r\nSoftware\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion=RunOnce"
      "\r\nSoftware\\Microsoft\\Windows\\CurrentVersion\\Run=Run"
      "\r\n" +
      scratch + "=Gone\r\n";
  Run(RemoveRegistryKeys, "[HKEY_CURRENT_USER]" + section + "[HKEY_LOCAL_MACHINE]" + section);
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    EXPECT_TRUE(KeyExists(root, kRunOnce + decoy));
    EXPECT_EQ(GetString(root, expected::kRunKeyPath, tag + "-sibling"), "C:\\y.exe");
    EXPECT_FALSE(KeyExists(root, scratch + "\\Gone"));  // each refused entry is passed over
  }
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kRunOnce32 + decoy));
}

TEST_F(RegistrySteps, ALinkInsideANamedKeyGoesAloneItsTargetStays) {
  // Mended fault: a symbolic link inside the named key made the step delete
  // the link's target tree, which may lie anywhere in the registry.
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    MakeKey(root, scratch + "\\Outside\\Child");
    MakeKey(root, scratch + "\\Vendor\\Plain");
    ASSERT_TRUE(testing::CreateRegistryLink(root, scratch + "\\Vendor\\Link", scratch + "\\Outside"));
    ASSERT_TRUE(KeyExists(root, scratch + "\\Vendor\\Link\\Child")) << "the link leads to its target";
  }
  const std::string section = "\r\n" + scratch + "=Vendor\r\n";
  Run(RemoveRegistryKeys, "[HKEY_CURRENT_USER]" + section + "[HKEY_LOCAL_MACHINE]" + section);
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    EXPECT_FALSE(KeyExists(root, scratch + "\\Vendor"));
    EXPECT_FALSE(testing::RegistryLinkExists(root, scratch + "\\Vendor\\Link"));
    EXPECT_EQ(GetString(root, scratch + "\\Outside\\Child", "marker"), "x");
  }
}

TEST_F(RegistrySteps, PlantedNamesBesideLinksNeitherLeadOutNorStopTheStep) {
  // Mended faults: a planted subkey "Link<won>Child" read as "Link\Child"
  // and deleted the key below the link's target; "Loop<won>Again" beside a
  // link "Loop" back to the named key made the walk recurse until the
  // process died, so the entries after it never ran.
  const std::wstring won(1, L'\u20A9');
  const auto plantWide = [](HKEY root, const std::string& parent, const std::wstring& name) {
    HKEY key = nullptr;
    const std::wstring path = std::wstring(parent.begin(), parent.end()) + L"\\" + name;
    ASSERT_EQ(RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
  };
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    MakeKey(root, scratch + "\\Outside\\Child");
    MakeKey(root, scratch + "\\Vendor");
    MakeKey(root, scratch + "\\Later");
    ASSERT_TRUE(testing::CreateRegistryLink(root, scratch + "\\Vendor\\Link", scratch + "\\Outside"));
    ASSERT_TRUE(testing::CreateRegistryLink(root, scratch + "\\Vendor\\Loop", scratch + "\\Vendor"));
    plantWide(root, scratch + "\\Vendor", L"Link" + won + L"Child");
    plantWide(root, scratch + "\\Vendor", L"Loop" + won + L"Again");
    plantWide(root, scratch + "\\Vendor", L"Loop" + won);  // read as "Loop\": the link's target itself
  }
  const std::string section = "\r\n" + scratch + "=Vendor\r\n" + scratch + "\\Later=Later\r\n";
  const auto lines = Run(RemoveRegistryKeys, "[HKEY_CURRENT_USER]" + section + "[HKEY_LOCAL_MACHINE]" + section);
  EXPECT_EQ(lines, (std::vector<std::string>{expected::kRemoveRegistryKeys}));
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    EXPECT_FALSE(KeyExists(root, scratch + "\\Vendor"));
    EXPECT_EQ(GetString(root, scratch + "\\Outside\\Child", "marker"), "x");
    EXPECT_FALSE(KeyExists(root, scratch + "\\Later"));  // the entry after them still ran
  }
}

TEST_F(RegistrySteps, ThePreviewCountsWhatTheStepsDelete) {
  // A refused entry is reported as nothing, and a link as itself.
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) MakeKey(root, kRunOnce + "\\" + tag);
  MakeKey(HKEY_CURRENT_USER, std::string(expected::kUninstallKeyPath) + tag + "\\Nested");
  MakeKey(HKEY_CURRENT_USER, scratch + "\\Outside\\Child");
  MakeKey(HKEY_CURRENT_USER, scratch + "\\Vendor\\Plain");
  ASSERT_TRUE(testing::CreateRegistryLink(HKEY_CURRENT_USER, scratch + "\\Vendor\\Link", scratch + "\\Outside"));
  testing::StepHarness harness("[UNINSTALL]\r\nitem1=" + tag +
                               "\\Nested\r\n[HKEY_CURRENT_USER]\r\n"
                               "Software\\Microsoft\\Windows\\CurrentVersion\\=RunOnce\r\n" +
                               scratch + "=Vendor\r\n[HKEY_LOCAL_MACHINE]\r\nSOFTWARE=\\" + kRunOnce + "\r\n");
  const PreviewReport report = BuildPreview(harness.Script(), harness.Folders());
  ASSERT_EQ(report.uninstallEntries.size(), 2u);
  for (const KeyPreview& entry : report.uninstallEntries) {
    EXPECT_TRUE(entry.refused);
    EXPECT_FALSE(entry.exists);
  }
  ASSERT_EQ(report.registryKeys.size(), 3u);
  EXPECT_TRUE(report.registryKeys[0].refused);
  EXPECT_FALSE(report.registryKeys[0].exists);
  EXPECT_EQ(report.registryKeys[0].subkeys, 0);
  EXPECT_FALSE(report.registryKeys[1].refused);
  EXPECT_TRUE(report.registryKeys[1].exists);
  EXPECT_EQ(report.registryKeys[1].subkeys, 2) << "Plain and Link; the link's target is not counted";
  EXPECT_TRUE(report.registryKeys[2].refused);
  EXPECT_FALSE(report.registryKeys[2].exists);

  RemoveUninstallEntries(harness);
  RemoveRegistryKeys(harness);
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, std::string(expected::kUninstallKeyPath) + tag + "\\Nested"));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kRunOnce + "\\" + tag));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kRunOnce + "\\" + tag));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, scratch + "\\Vendor"));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, scratch + "\\Outside\\Child"));
}

TEST_F(RegistrySteps, RecoveryRecordsOfOneToFourFields) {
  const std::string script =
      "[REGISTRY_RECOVERY]\r\n"
      "r1=HKEY_LOCAL_MACHINE|=|" +
      scratch +
      "\\Machine|=|Mode|=|1\r\n"
      "r2=hkey_local_machine|=|" +
      scratch +
      "\\Lower\r\n"
      "r3=HKEY_CURRENT_USER|=|" +
      scratch +
      "\\Three|=|Name\r\n"
      "r4=HKLM|=|" +
      scratch +
      "\\Empty|=||=|ignored\r\n"
      "r5=" +
      scratch + "\\NoDelimiter\r\n";
  const auto lines = Run(RestoreRegistry, script);
  EXPECT_EQ(lines, (std::vector<std::string>{expected::kRestoreRegistry}));
  // Recovery writes into the 64-bit view (KEY_WOW64_64KEY), which is this
  // process's own only in a 64-bit build.
  const REGSAM view = KEY_WOW64_64KEY;
  EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, scratch + "\\Machine", "Mode", view), "1");
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, scratch + "\\Lower", view));  // unknown root: the user's
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, scratch + "\\Lower", view));
  EXPECT_EQ(GetString(HKEY_CURRENT_USER, scratch + "\\Three", "Name", view), "");  // no data: written empty
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, scratch + "\\Empty", view));
  EXPECT_EQ(GetString(HKEY_CURRENT_USER, scratch + "\\Empty", "", view), std::nullopt);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, scratch + "\\NoDelimiter", view));
}

// The keys of the machine-dependent rules, made by the test itself: two
// services and two COM classes, one of each with its file in the Windows
// folder (Windows' own, which stays) and one with its file under Program
// Files (the target's, which goes).
class WindowsOwnKeys : public RegistrySteps {
 protected:
  void SetUp() override {
    RegistrySteps::SetUp();
    RemoveTheKeys();
  }
  void TearDown() override {
    RemoveTheKeys();
    RegistrySteps::TearDown();
  }
  void RemoveTheKeys() const {
    for (const char* service : {kWindowsService, kOwnService})
      testing::DeleteKeyTree(HKEY_LOCAL_MACHINE, kServices + service);
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
      for (const char* clsid : {kWindowsClass, kOwnClass}) testing::DeleteKeyTree(root, kClasses + clsid);
    }
  }

  void SetImagePath(const std::string& service, const std::string& image) const {
    ASSERT_EQ(RegSetKeyValueA(HKEY_LOCAL_MACHINE, (kServices + service).c_str(), "ImagePath", REG_EXPAND_SZ,
                              image.c_str(), static_cast<DWORD>(image.size() + 1)),
              ERROR_SUCCESS);
    MakeKey(HKEY_LOCAL_MACHINE, kServices + service + "\\Parameters");
  }

  static constexpr char kWindowsService[] = "TidemarkTestWinSvc";
  static constexpr char kOwnService[] = "TidemarkTestOwnSvc";
  static constexpr char kWindowsClass[] = "{7D1DE3A0-7E57-4000-8000-00000000000A}";
  static constexpr char kOwnClass[] = "{7D1DE3A0-7E57-4000-8000-00000000000B}";
  const std::string kServices = "SYSTEM\\CurrentControlSet\\Services\\";
  const std::string kClasses = "Software\\Classes\\CLSID\\";
};

TEST_F(WindowsOwnKeys, AServiceAndAClassOfWindowsStayTheTargetsGo) {
  SetImagePath(kWindowsService, "%SystemRoot%\\system32\\tidemarktest.exe");
  SetImagePath(kOwnService, "\"C:\\Program Files\\lumenseek\\svc.exe\" /service");
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    SetString(root, kClasses + kWindowsClass + "\\InprocServer32", "", "C:\\windows\\system32\\tidemarktest.dll");
    SetString(root, kClasses + kOwnClass + "\\InprocServer32", "", "C:\\Program Files\\lumenseek\\bho.dll");
  }
  // Full-path names: entries of one name would all be read as the first.
  const std::string classes =
      kClasses + kWindowsClass + "=" + kWindowsClass + "\r\n" + kClasses + kOwnClass + "=" + kOwnClass + "\r\n";
  const std::string script = "[HKEY_CURRENT_USER]\r\n" + classes + "[HKEY_LOCAL_MACHINE]\r\n" + classes + kServices +
                             kWindowsService + "=" + kWindowsService + "\r\n" + kServices + kOwnService + "=" +
                             kOwnService + "\r\n";
  StepHarness harness(script);

  // The preview judges by the same facts before anything goes: Windows'
  // keys refused (and so counted as nothing), the target's found.
  const PreviewReport report = BuildPreview(harness.Script(), harness.Folders());
  ASSERT_EQ(report.registryKeys.size(), 6u);
  for (std::size_t i = 0; i < report.registryKeys.size(); ++i) {
    EXPECT_EQ(report.registryKeys[i].refused, i % 2 == 0) << report.registryKeys[i].path;
    EXPECT_EQ(report.registryKeys[i].exists, i % 2 == 1) << report.registryKeys[i].path;
  }

  RemoveRegistryKeys(harness);
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kServices + kWindowsService + "\\Parameters"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kServices + kOwnService));
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    EXPECT_EQ(GetString(root, kClasses + kWindowsClass + "\\InprocServer32", ""),
              "C:\\windows\\system32\\tidemarktest.dll");
    EXPECT_FALSE(KeyExists(root, kClasses + kOwnClass));
  }
}

TEST_F(WindowsOwnKeys, AServiceWithoutAnImagePathStays) {
  MakeKey(HKEY_LOCAL_MACHINE, kServices + kWindowsService + "\\Parameters");
  Run(RemoveRegistryKeys, "[HKEY_LOCAL_MACHINE]\r\n" + kServices + kWindowsService + "=" + kWindowsService);
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kServices + kWindowsService + "\\Parameters"));
}

TEST_F(RegistrySteps, WindowsRunValuesStayTheTargetsGo) {
  // The test prefix has no SecurityHealth value of its own; the test makes
  // it and takes it away again.
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    ASSERT_EQ(GetString(root, expected::kRunKeyPath, "SecurityHealth"), std::nullopt)
        << "a real value would be overwritten";
  }
  struct RemoveAtEnd {
    ~RemoveAtEnd() {
      for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
        RegDeleteKeyValueA(root, expected::kRunKeyPath, "SecurityHealth");
    }
  } removeAtEnd;
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    SetString(root, expected::kRunKeyPath, "SecurityHealth", "C:\\Windows\\system32\\SecurityHealthSystray.exe");
    SetString(root, expected::kRunKeyPath, tag, "C:\\x.exe");
  }
  StepHarness harness("[STARTRUN]\r\nsecurityhealth=%WINDOWS%\\x.exe\r\n" + tag + "=C:\\x.exe");
  const PreviewReport report = BuildPreview(harness.Script(), harness.Folders());
  ASSERT_EQ(report.runValues.size(), 2u);
  EXPECT_TRUE(report.runValues[0].refused);
  EXPECT_TRUE(report.runValues[0].currentUser && report.runValues[0].localMachine);
  EXPECT_FALSE(report.runValues[1].refused);

  RemoveStartupEntries(harness);
  RemoveRunEntry("SecurityHealth", "overwritten", false);
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    EXPECT_EQ(GetString(root, expected::kRunKeyPath, "SecurityHealth"),
              "C:\\Windows\\system32\\SecurityHealthSystray.exe");
    EXPECT_EQ(GetString(root, expected::kRunKeyPath, tag), std::nullopt);
  }
}

TEST_F(RegistrySteps, EmbeddedScriptRemovesItsKeysAndNothingBeside) {
  const std::string arpCache = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache";
  MakeKey(HKEY_CURRENT_USER, "SOFTWARE\\lumenseek\\Settings");
  MakeKey(HKEY_CURRENT_USER, "SOFTWARE\\lumenseek-decoy");
  MakeKey(HKEY_LOCAL_MACHINE, arpCache + "\\lumenseek\\Sub");
  MakeKey(HKEY_LOCAL_MACHINE, arpCache + "\\decoy");
  const auto lines = Run(RemoveRegistryKeys, testing::DefaultScriptBytes());
  EXPECT_EQ(lines, (std::vector<std::string>{expected::kRemoveRegistryKeys}));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "SOFTWARE\\lumenseek"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, arpCache + "\\lumenseek"));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "SOFTWARE\\lumenseek-decoy"));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, arpCache + "\\decoy"));
  RegDeleteTreeA(HKEY_CURRENT_USER, "SOFTWARE\\lumenseek-decoy");
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, (arpCache + "\\decoy").c_str());
}

}  // namespace
}  // namespace tidemark
