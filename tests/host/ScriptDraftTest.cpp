// The draft of a removal script from two snapshots: each kind of addition
// lands in the section the program reads it from, with the path under the
// longest macro, and nothing the program would read otherwise or refuse is
// written as an entry.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "capture/ScriptDraft.h"
#include "capture/SnapshotCompare.h"
#include "lint/ScriptLint.h"

namespace tidemark::capture {
namespace {

constexpr char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kUninstall[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr char kProgramFiles[] = "C:\\Program Files (x86)";

RegistryKey Key(const char* view, const char* root, const std::string& path) { return {view, root, path}; }

RegistryValue Value(const RegistryKey& key, const std::string& name, std::uint64_t hash, const std::string& text = "") {
  return {key, name, 1, hash, text};
}

// A machine before any installation: the keys and folders every Windows has.
Snapshot Machine() {
  Snapshot snapshot;
  snapshot.machine = "TEST-PC";
  snapshot.takenAt = "2026-12-08 10:00:00";
  snapshot.views = {kView32, kView64};
  snapshot.macros = {{"%APPDATA%", "C:\\users\\me\\AppData\\Roaming"},
                     {"%LOCAL_APPDATA%", "C:\\users\\me\\AppData\\Local"},
                     {"%PROGRAM_FILES%", kProgramFiles},
                     {"%PROGRAM_FILESX86%", kProgramFiles},
                     {"%WINDOWS%", "C:\\windows"},
                     {"%PROFILE%", "C:\\users\\me"},
                     {"%TEMP%", "C:\\users\\me\\Temp"}};
  snapshot.processes = {"explorer.exe", "services.exe"};
  for (const char* view : {kView32, kView64}) {
    for (const char* root : {kRootCurrentUser, kRootLocalMachine}) {
      for (const char* path : {"Software", "Software\\Microsoft", "Software\\Microsoft\\Windows",
                               "Software\\Microsoft\\Windows\\CurrentVersion", kRun, kUninstall}) {
        snapshot.keys.push_back(Key(view, root, path));
      }
    }
  }
  snapshot.values.push_back(Value(Key(kView32, kRootCurrentUser, "Software\\Microsoft"), "Setting", 1));
  snapshot.folders = {"C:\\users\\me", "C:\\users\\me\\AppData\\Local", "C:\\users\\me\\Temp", kProgramFiles};
  snapshot.files = {{"C:\\users\\me\\Temp\\old.log", 10}};
  return snapshot;
}

void AddKey(Snapshot& snapshot, const char* root, const std::string& path, bool bothViews = true) {
  snapshot.keys.push_back(Key(kView32, root, path));
  if (bothViews && std::string(root) == kRootCurrentUser) snapshot.keys.push_back(Key(kView64, root, path));
}

// The machine after a typical adware installation.
Snapshot Installed() {
  Snapshot snapshot = Machine();
  snapshot.takenAt = "2026-12-08 10:05:00";
  snapshot.outputPath = "C:\\users\\me\\after.snap";
  snapshot.processes.push_back("fakeagent.exe");
  snapshot.processes.push_back("FakeAgent.exe");  // a second copy: one entry
  // The same Run value under both roots: one entry, which deletes both.
  for (const char* root : {kRootCurrentUser, kRootLocalMachine}) {
    snapshot.values.push_back(
        Value(Key(kView32, root, kRun), "FakeAgent", 7, "\"C:\\Program Files (x86)\\Fake\\fakeagent.exe\" /tray"));
  }
  AddKey(snapshot, kRootLocalMachine, std::string(kUninstall) + "\\FakeApp");
  const RegistryKey entry = Key(kView32, kRootLocalMachine, std::string(kUninstall) + "\\FakeApp");
  snapshot.values.push_back(Value(entry, "DisplayName", 2, "\xC6\xE4\xC0\xCC\xC5\xA9 Fake"));
  snapshot.values.push_back(Value(entry, "Publisher", 3, "Fake Co."));
  AddKey(snapshot, kRootCurrentUser, "Software\\FakeCo");
  AddKey(snapshot, kRootCurrentUser, "Software\\FakeCo\\Settings");  // below a new key: no entry of its own
  AddKey(snapshot, kRootLocalMachine, "Software\\FakeCo");
  AddKey(snapshot, kRootLocalMachine, "Software\\FakeTools");  // shares its parent: full-path form
  snapshot.keys.push_back(Key(kView64, kRootLocalMachine, "Software\\Only64"));
  snapshot.values.push_back(Value(Key(kView32, kRootCurrentUser, "Software\\Microsoft"), "Setting", 99));
  snapshot.folders.push_back("C:\\Program Files (x86)\\Fake");
  snapshot.folders.push_back("C:\\Program Files (x86)\\Fake\\bin");
  snapshot.folders.push_back("C:\\users\\me\\AppData\\Local\\Fake");
  snapshot.files.push_back({"C:\\Program Files (x86)\\Fake\\fakeagent.exe", 100});
  snapshot.files.push_back({"C:\\Program Files (x86)\\Fake\\bin\\core.dll", 100});
  snapshot.files.push_back({"C:\\users\\me\\Temp\\fake-install.log", 5});
  snapshot.files.push_back({"C:\\users\\me\\before.snap", 5000});
  snapshot.files.push_back({"C:\\users\\me\\after.snap", 5000});
  return snapshot;
}

std::vector<std::string> Lines(const std::string& script) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < script.size()) {
    const std::size_t end = script.find("\r\n", start);
    EXPECT_NE(end, std::string::npos) << "every line ends with CR LF";
    if (end == std::string::npos) break;
    lines.push_back(script.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

TEST(ScriptDraft, PutsEachAdditionWhereTheProgramRemovesIt) {
  Snapshot before = Machine();
  before.outputPath = "C:\\users\\me\\before.snap";
  const std::string script = DraftScript(before, Installed());
  const std::vector<std::string> expected = {
      "; Drafted by tidemark-capture from two snapshots of TEST-PC,",
      "; taken 2026-12-08 10:00:00 and 2026-12-08 10:05:00. Read every line before building.",
      "[APPTYPE]",
      "; category: the kind of program the window shows; title: its name",
      "category=\xBE\xD6\xB5\xE5\xBF\xFE\xBE\xEE",
      "title=\xC6\xE4\xC0\xCC\xC5\xA9 Fake",
      "Publisher=Fake Co.",
      "[PROCESS]",
      "item1=fakeagent.exe",
      "[SERVICE]",
      "[BHO]",
      "[STARTRUN]",
      "FakeAgent=\"%PROGRAM_FILES%\\Fake\\fakeagent.exe\" /tray",
      "[UNINSTALL]",
      "item1=FakeApp",
      "[HKEY_CURRENT_USER]",
      "Software=FakeCo",
      "[HKEY_LOCAL_MACHINE]",
      "; 64-bit view only, out of the 32-bit program's reach: HKLM\\Software\\Only64 (64-bit view)",
      "Software\\FakeCo=FakeCo",
      "Software\\FakeTools=FakeTools",
      "[FILE]",
      // Deepest first: a folder's files and the folder itself go before its parent's.
      "item1=%LOCAL_APPDATA%\\Fake\\*.*",
      "item2=%PROGRAM_FILES%\\Fake\\bin\\*.*",
      "item3=%PROGRAM_FILES%\\Fake\\*.*",
      "item4=%TEMP%\\fake-install.log",
      "[PATH]",
      "item1=%LOCAL_APPDATA%\\Fake",
      "item2=%PROGRAM_FILES%\\Fake\\bin",
      "item3=%PROGRAM_FILES%\\Fake",
      "; ",
      "; Changes in what existed before; the Start button cannot restore them:",
      "; value changed: HKCU\\Software\\Microsoft (32-bit view) value Setting",
  };
  EXPECT_EQ(Lines(script), expected);
  const lint::LintResult checked = lint::LintScript(script);
  for (const lint::Finding& finding : checked.findings) {
    EXPECT_NE(finding.severity, lint::Severity::Error) << finding.line << ": " << finding.message;
  }
}

TEST(ScriptDraft, WritesWhatTheProgramWouldReadOtherwiseOrRefuseAsComments) {
  Snapshot before = Machine();
  AddKey(before, kRootCurrentUser, "Software\\a=b");
  Snapshot after = before;
  after.processes.push_back("svchost.exe");               // one of Windows' own
  AddKey(after, kRootCurrentUser, "Software\\a=b\\Sub");  // the "=" in the name would split the line elsewhere
  AddKey(after, kRootCurrentUser, " Padded");             // the reader drops the blank
  after.values.push_back(Value(Key(kView32, kRootCurrentUser, kRun), "SecurityHealth", 5, "x.exe"));
  after.folders.push_back("C:\\users\\me\\Temp\\odd?name");
  const std::vector<std::string> lines = Lines(DraftScript(before, after));
  const auto has = [&lines](const std::string& line) {
    for (const std::string& present : lines) {
      if (present == line) return true;
    }
    return false;
  };
  EXPECT_TRUE(has("; item1=svchost.exe"));
  EXPECT_TRUE(has("; not written: the program would not read this line as it stands: Software\\a=b=Sub"));
  EXPECT_TRUE(has("; not written: the program would not read this line as it stands:  Padded= Padded"));
  EXPECT_TRUE(has("; SecurityHealth=x.exe"));
  EXPECT_TRUE(has("; item1=%TEMP%\\odd?name\\*.*"));
  for (const std::string& line : lines) {
    if (line.rfind("; refused: ", 0) == 0) {
      EXPECT_GT(line.size(), 12u);
    }
  }
  const lint::LintResult checked = lint::LintScript(DraftScript(before, after));
  for (const lint::Finding& finding : checked.findings) {
    EXPECT_NE(finding.severity, lint::Severity::Error) << finding.line << ": " << finding.message;
  }
}

TEST(ScriptDraft, NamesEachPathWithTheLongestMacroOfItsFolder) {
  const std::vector<MacroFolder> macros = Machine().macros;
  EXPECT_EQ(WithFolderMacro("C:\\users\\me\\AppData\\Local\\x\\y.dat", macros), "%LOCAL_APPDATA%\\x\\y.dat");
  EXPECT_EQ(WithFolderMacro("C:\\USERS\\ME\\notes.txt", macros), "%PROFILE%\\notes.txt");
  // Program Files (x86) is the folder of two macros: the first one names it.
  EXPECT_EQ(WithFolderMacro("C:\\Program Files (x86)\\Fake", macros), "%PROGRAM_FILES%\\Fake");
  EXPECT_EQ(WithFolderMacro("C:\\users\\me", macros), "%PROFILE%");
  // A folder whose name merely starts like a macro's folder is no part of it.
  EXPECT_EQ(WithFolderMacro("C:\\users\\meg\\x", macros), "C:\\users\\meg\\x");
  EXPECT_EQ(WithFolderMacro("D:\\data", macros), "D:\\data");
}

TEST(ScriptDraft, ComparesOnlySnapshotsOfOneMachineAndOneKindOfCapture) {
  Snapshot other = Machine();
  EXPECT_EQ(MismatchBetween(Machine(), other), "");
  other.machine = "test-pc";  // computer names ignore case
  EXPECT_EQ(MismatchBetween(Machine(), other), "");
  other.machine = "OTHER";
  EXPECT_NE(MismatchBetween(Machine(), other).find("two machines"), std::string::npos);
  other = Machine();
  other.views = {kView32};
  EXPECT_NE(MismatchBetween(Machine(), other), "");
  other = Machine();
  other.captureBits = 64;
  EXPECT_NE(MismatchBetween(Machine(), other), "");
}

TEST(SnapshotCompare, PassesOverTheSystemsOwnBookkeepingOnly) {
  Snapshot before = Machine();
  const std::string control = "SYSTEM\\CurrentControlSet\\Control";
  const std::string linked = "SYSTEM\\ControlSet001\\Control\\DeviceClasses\\{884B}\\##?#hid#1\\#\\Control";
  before.values.push_back(Value(Key(kView32, kRootLocalMachine, control + "\\ServiceCurrent"), "", 1));
  before.values.push_back(Value(Key(kView64, kRootLocalMachine, linked), "Linked", 1));
  before.values.push_back(Value(Key(kView32, kRootLocalMachine, control + "\\Session Manager"), "Pending", 1));
  for (const RegistryValue& value : before.values) before.keys.push_back(value.key);
  Snapshot after = before;
  for (RegistryValue& value : after.values) value.hash += 1;
  after.keys.push_back(
      Key(kView64, kRootLocalMachine, "SYSTEM\\ControlSet001\\Control\\DeviceClasses\\{884B}\\##?#hid#2\\#\\Control"));
  after.keys.push_back(Key(kView64, kRootLocalMachine, "SYSTEM\\CurrentControlSet\\Control\\DeviceClasses\\{884B}\\x"));
  after.keys.push_back(Key(kView32, kRootCurrentUser, "Software\\Wine\\Temporary System Parameters\\Colors"));
  after.services.push_back({"Winedevice2", "C:\\windows\\system32\\winedevice.exe"});
  after.services.push_back({"Winedevice3", "C:\\Program Files\\fake\\winedevice-lookalike.exe"});
  const SnapshotChanges changes = CompareSnapshots(before, after);
  // Only the value outside the bookkeeping, the key that is no interface's
  // Control, and the service that is no driver host of Wine's are changes.
  ASSERT_EQ(changes.changedValues.size(), 2u);  // Setting of the machine, and Session Manager's
  EXPECT_EQ(changes.changedValues[1].key.path, control + "\\Session Manager");
  ASSERT_EQ(changes.newKeys.size(), 1u);
  EXPECT_EQ(changes.newKeys[0].path.substr(changes.newKeys[0].path.size() - 2), "\\x");
  ASSERT_EQ(changes.newServices.size(), 1u);
  EXPECT_EQ(changes.newServices[0].name, "Winedevice3");
}

}  // namespace
}  // namespace tidemark::capture
