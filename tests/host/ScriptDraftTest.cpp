// The draft of a removal script from two snapshots: each kind of addition
// lands in the section the program reads it from, with the path under the
// longest macro, and nothing the program would read otherwise or refuse is
// written as an entry.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "capture/ScriptDraft.h"
#include "capture/SnapshotCompare.h"
#include "lint/ScriptLint.h"
#include "script/ScriptIni.h"
#include "script/ScriptLines.h"

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

// --- Names that the captured program chose -----------------------------------

// Every entry that the program's reader finds in the script, as
// "[SECTION] name=value", in file order.
std::vector<std::string> ActiveEntries(const std::string& script) {
  std::vector<std::string> entries;
  const ScriptIni reader(script);
  for (const ScriptIni::Section& section : reader.Sections()) {
    for (const ScriptIni::Entry& entry : section.entries) {
      entries.push_back("[" + section.name + "] " + entry.name + "=" + entry.value);
    }
  }
  return entries;
}

// What the draft of Installed() holds as entries: the intended ones.
const std::vector<std::string> kIntendedEntries = {
    "[APPTYPE] category=\xBE\xD6\xB5\xE5\xBF\xFE\xBE\xEE",
    "[APPTYPE] title=\xC6\xE4\xC0\xCC\xC5\xA9 Fake",
    "[APPTYPE] Publisher=Fake Co.",
    "[STARTRUN] FakeAgent=\"%PROGRAM_FILES%\\Fake\\fakeagent.exe\" /tray",
    "[UNINSTALL] item1=FakeApp",
    "[HKEY_CURRENT_USER] Software=FakeCo",
    "[HKEY_LOCAL_MACHINE] Software\\FakeCo=FakeCo",
    "[HKEY_LOCAL_MACHINE] Software\\FakeTools=FakeTools",
    "[FILE] item1=%LOCAL_APPDATA%\\Fake\\*.*",
    "[FILE] item2=%PROGRAM_FILES%\\Fake\\bin\\*.*",
    "[FILE] item3=%PROGRAM_FILES%\\Fake\\*.*",
    "[FILE] item4=%TEMP%\\fake-install.log",
    "[PATH] item1=%LOCAL_APPDATA%\\Fake",
    "[PATH] item2=%PROGRAM_FILES%\\Fake\\bin",
    "[PATH] item3=%PROGRAM_FILES%\\Fake",
};

// The machine before the installation, taking its snapshot where the one
// after it finds the file.
Snapshot Before() {
  Snapshot before = Machine();
  before.outputPath = "C:\\users\\me\\before.snap";
  return before;
}

std::size_t CountOf(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
  return count;
}

// The draft keeps its line structure whatever the names hold: the reader
// sees exactly the lines written, the entries are the intended ones, and
// the checker finds no error.
void ExpectOnlyTheIntendedEntries(const std::string& script, const std::vector<std::string>& intended) {
  SCOPED_TRACE("the draft:\n" + script);
  EXPECT_EQ(SplitScriptLines(script).size(), CountOf(script, "\r\n")) << "each written line is one script line";
  EXPECT_EQ(script.find('\0'), std::string::npos);
  EXPECT_EQ(CountOf(script, "\r"), CountOf(script, "\r\n"));
  EXPECT_EQ(CountOf(script, "\n"), CountOf(script, "\r\n"));
  EXPECT_EQ(ActiveEntries(script), intended);
  for (const lint::Finding& finding : lint::LintScript(script).findings) {
    EXPECT_NE(finding.severity, lint::Severity::Error) << finding.line << ": " << finding.message;
  }
}

TEST(ScriptDraft, AProcessNameWithALineBreakLeavesNoRefusedEntryActive) {
  // Mended fault: the name's line break split its comment in two, so the
  // checker's line numbers missed the draft's lines by one, and the refused
  // "svchost.exe" after it stayed an entry.
  Snapshot after = Installed();
  after.processes.insert(after.processes.begin(), {"a\r\nb", "svchost.exe"});
  const std::string script = DraftScript(Before(), after);
  std::vector<std::string> intended = kIntendedEntries;
  intended.insert(intended.begin() + 3, "[PROCESS] item3=fakeagent.exe");
  ExpectOnlyTheIntendedEntries(script, intended);
  const std::vector<std::string> lines = Lines(script);
  EXPECT_NE(std::find(lines.begin(), lines.end(),
                      "; not written: the program would not read this line as it stands: item1=a<0D><0A>b"),
            lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "; item2=svchost.exe"), lines.end());
}

TEST(ScriptDraft, AKeyNameWithALineBreakAndAnEndMarkerStaysInItsComment) {
  // Mended fault: the 64-bit key's name broke out of its comment and put the
  // end marker "a=" into [HKEY_LOCAL_MACHINE], before every key there.
  Snapshot after = Installed();
  after.keys.push_back(Key(kView64, kRootLocalMachine, "Software\\X\r\na=\r\n;"));
  const std::string script = DraftScript(Before(), after);
  std::vector<std::string> intended = kIntendedEntries;
  intended.insert(intended.begin() + 3, "[PROCESS] item1=fakeagent.exe");
  ExpectOnlyTheIntendedEntries(script, intended);
  const std::vector<std::string> lines = Lines(script);
  EXPECT_NE(std::find(lines.begin(), lines.end(),
                      "; 64-bit view only, out of the 32-bit program's reach: HKLM\\Software\\X<0D><0A>a=<0D><0A>; "
                      "(64-bit view)"),
            lines.end());
}

TEST(ScriptDraft, NamesThatWouldReadOtherwiseAreOnlyEverEscapedComments) {
  // Each name in every place that a draft writes one: as an entry's name or
  // value, and in the comments on what the Start button cannot undo.
  const std::vector<std::string> hostile = {
      std::string("zero\0byte", 9),  // ends the text for the reader
      "cr\rlf\n",                    // a lone CR and a lone LF end lines too
      "[SECTION]",                   // a section line
      ";comment",                    // a comment
      "x=y",                         // an entry of another name
      " blank\t",                    // the reader drops the blanks
      "\"quoted\"",                  // the reader drops the quotation marks
      "\x80\xFF\xB0",                // no code page 949 text; a lead byte before the line break
      "<3C>",                        // looks like an escape
  };
  Snapshot after = Installed();
  after.machine = "TEST-PC\r\n[PROCESS]\r\nitem9=evil.exe";
  Snapshot before = Before();
  before.machine = after.machine;
  for (const std::string& name : hostile) {
    after.processes.push_back(name);
    after.keys.push_back(Key(kView32, kRootCurrentUser, name));  // a top-most key: its path is the entry's name
    after.keys.push_back(Key(kView64, kRootLocalMachine, "Software\\" + name));
    after.values.push_back(Value(Key(kView32, kRootCurrentUser, kRun), name, 9, name));
    after.folders.push_back("C:\\users\\me\\Temp\\" + name);
    after.services.push_back({name, name});
    before.values.push_back(Value(Key(kView32, kRootCurrentUser, "Software\\Microsoft"), name, 1));
  }
  const std::string script = DraftScript(before, after);
  std::vector<std::string> intended = kIntendedEntries;
  intended.insert(intended.begin() + 3, "[PROCESS] item1=fakeagent.exe");
  // Where a name stands inside a value ("[SECTION]" as a process, a folder
  // below %TEMP%), the reader reads it back whole, and it is written; where
  // it would read otherwise (at the start or end of a line, before the "="),
  // it is not.
  ExpectOnlyTheIntendedEntries(script, {"[APPTYPE] category=\xBE\xD6\xB5\xE5\xBF\xFE\xBE\xEE",
                                        "[APPTYPE] title=\xC6\xE4\xC0\xCC\xC5\xA9 Fake",
                                        "[APPTYPE] Publisher=Fake Co.",
                                        "[PROCESS] item1=fakeagent.exe",
                                        "[PROCESS] item4=[SECTION]",
                                        "[PROCESS] item5=;comment",
                                        "[PROCESS] item6=x=y",
                                        "[PROCESS] item10=<3C>",
                                        "[STARTRUN] FakeAgent=\"%PROGRAM_FILES%\\Fake\\fakeagent.exe\" /tray",
                                        "[STARTRUN] <3C>=<3C>",
                                        "[UNINSTALL] item1=FakeApp",
                                        "[HKEY_CURRENT_USER] Software=FakeCo",
                                        "[HKEY_CURRENT_USER] <3C>=<3C>",
                                        "[HKEY_LOCAL_MACHINE] Software\\FakeCo=FakeCo",
                                        "[HKEY_LOCAL_MACHINE] Software\\FakeTools=FakeTools",
                                        "[FILE] item1=%LOCAL_APPDATA%\\Fake\\*.*",
                                        "[FILE] item4=%TEMP%\\[SECTION]\\*.*",
                                        "[FILE] item5=%TEMP%\\;comment\\*.*",
                                        "[FILE] item6=%TEMP%\\x=y\\*.*",
                                        "[FILE] item7=%TEMP%\\ blank\t\\*.*",
                                        "[FILE] item8=%TEMP%\\\"quoted\"\\*.*",
                                        "[FILE] item10=%TEMP%\\<3C>\\*.*",
                                        "[FILE] item11=%PROGRAM_FILES%\\Fake\\bin\\*.*",
                                        "[FILE] item12=%PROGRAM_FILES%\\Fake\\*.*",
                                        "[FILE] item13=%TEMP%\\fake-install.log",
                                        "[PATH] item1=%LOCAL_APPDATA%\\Fake",
                                        "[PATH] item4=%TEMP%\\[SECTION]",
                                        "[PATH] item5=%TEMP%\\;comment",
                                        "[PATH] item6=%TEMP%\\x=y",
                                        "[PATH] item8=%TEMP%\\\"quoted\"",
                                        "[PATH] item10=%TEMP%\\<3C>",
                                        "[PATH] item11=%PROGRAM_FILES%\\Fake\\bin",
                                        "[PATH] item12=%PROGRAM_FILES%\\Fake"});
  const std::vector<std::string> lines = Lines(script);
  const auto has = [&lines](const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  };
  const std::string notWritten = "; not written: the program would not read this line as it stands: ";
  EXPECT_TRUE(has(notWritten + "item2=zero<00>byte"));
  EXPECT_TRUE(has(notWritten + "[SECTION]=[SECTION]"));
  EXPECT_TRUE(has(notWritten + "item9=%TEMP%\\<80><FF><B0>\\*.*"));
  EXPECT_TRUE(has("; 64-bit view only, out of the 32-bit program's reach: HKLM\\Software\\cr<0D>lf<0A> (64-bit view)"));
  EXPECT_TRUE(has("; new service <3C>3C> (<3C>3C>): the Start button does not run the [SERVICE] step"))
      << "'<' itself is escaped, so that the escapes stay unambiguous";
  EXPECT_EQ(Lines(script).front(),
            "; Drafted by tidemark-capture from two snapshots of TEST-PC<0D><0A>[PROCESS]<0D><0A>item9=evil.exe,");
}

TEST(ScriptDraft, ADraftThatNamesNothingSaysSoFirst) {
  const std::string script = DraftScript(Machine(), Machine());
  const std::vector<std::string> lines = Lines(script);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(
      lines.front().rfind("; not yet a script: the script names nothing that a run of the Start button removes", 0), 0u)
      << script;
  const std::vector<lint::Finding> findings = lint::LintScript(script).findings;
  ASSERT_FALSE(findings.empty());
  EXPECT_EQ(findings.front().line, 1u);
  EXPECT_EQ(findings.front().severity, lint::Severity::Error);
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
