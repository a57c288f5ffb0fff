// The verdict of a sandbox trial: each entry judged from the snapshots before
// and after the run, and every change the entries do not account for.
#include <gtest/gtest.h>

#include <string>

#include "trial/TrialReport.h"

namespace tidemark::trial {
namespace {

using capture::kRootCurrentUser;
using capture::kRootLocalMachine;
using capture::kView32;
using capture::kView64;
using capture::RegistryKey;
using capture::Snapshot;

constexpr char kProgramFiles[] = "C:\\Program Files (x86)";
constexpr char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

const char kScript[] =
    "[PROCESS]\r\n"
    "item1=lumenseek.exe\r\n"
    "[SERVICE]\r\n"
    "item1=lumensvc\r\n"
    "[STARTRUN]\r\n"
    "lumenseek=%PROGRAM_FILES%\\lumenseek\\lumenseek.exe\r\n"
    "[UNINSTALL]\r\n"
    "item1=lumenseek\r\n"
    "[HKEY_CURRENT_USER]\r\n"
    "SOFTWARE=lumenseek\r\n"
    "[FILE]\r\n"
    "item1=%PROGRAM_FILES%\\lumenseek\\bin\\*.*\r\n"
    "item2=%PROGRAM_FILES%\\lumenseek\\*.dll\r\n"
    "[PATH]\r\n"
    "item1=%PROGRAM_FILES%\\lumenseek\\bin\r\n"
    "item2=%PROGRAM_FILES%\\lumenseek\r\n";

// What the trial seeds for kScript, with decoys beside it.
Snapshot Seeded() {
  Snapshot snapshot;
  snapshot.macros = {{"%PROGRAM_FILES%", kProgramFiles}, {"%TEMP%", "C:\\users\\me\\Temp"}};
  snapshot.processes = {"explorer.exe", "lumenseek.exe", "lumenseek-decoy.exe"};
  for (const char* root : {kRootCurrentUser, kRootLocalMachine}) {
    snapshot.keys.push_back({kView32, root, kRun});
    snapshot.values.push_back({{kView32, root, kRun}, "lumenseek", 1, 1, "x"});
    snapshot.values.push_back({{kView32, root, kRun}, "lumenseek-decoy", 1, 2, "x"});
    snapshot.keys.push_back({kView32, root, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\lumenseek"});
  }
  snapshot.keys.push_back({kView32, kRootCurrentUser, "SOFTWARE\\lumenseek"});
  snapshot.keys.push_back({kView32, kRootCurrentUser, "SOFTWARE\\lumenseek\\sub"});
  snapshot.keys.push_back({kView32, kRootCurrentUser, "SOFTWARE\\lumenseek-decoy"});
  snapshot.folders = {kProgramFiles, "C:\\Program Files (x86)\\lumenseek", "C:\\Program Files (x86)\\lumenseek\\bin"};
  snapshot.files = {{"C:\\Program Files (x86)\\lumenseek\\bin\\core.exe", 1},
                    {"C:\\Program Files (x86)\\lumenseek\\a.dll", 1},
                    {"C:\\Program Files (x86)\\lumenseek\\decoy.txt", 1}};
  return snapshot;
}

// After a run that did everything kScript says; the decoy.txt keeps the
// program folder from going.
Snapshot Removed() {
  Snapshot snapshot = Seeded();
  snapshot.processes = {"explorer.exe", "lumenseek-decoy.exe"};
  snapshot.keys.clear();
  snapshot.values.clear();
  for (const char* root : {kRootCurrentUser, kRootLocalMachine}) {
    snapshot.keys.push_back({kView32, root, kRun});
    snapshot.values.push_back({{kView32, root, kRun}, "lumenseek-decoy", 1, 2, "x"});
  }
  snapshot.keys.push_back({kView32, kRootCurrentUser, "SOFTWARE\\lumenseek-decoy"});
  snapshot.folders = {kProgramFiles, "C:\\Program Files (x86)\\lumenseek"};
  snapshot.files = {{"C:\\Program Files (x86)\\lumenseek\\decoy.txt", 1}};
  return snapshot;
}

TEST(TrialVerdict, JudgesEveryEntryByWhatWasThereBeforeAndAfter) {
  const TrialVerdict verdict = JudgeTrial(kScript, Seeded(), Removed(), {});
  EXPECT_EQ(FormatTrialVerdict("s.ini", verdict),
            "s.ini:2: removed: [PROCESS] lumenseek.exe\n"
            "s.ini:4: off for the Start button: [SERVICE] lumensvc\n"
            "s.ini:6: removed: [STARTRUN] %PROGRAM_FILES%\\lumenseek\\lumenseek.exe (HKCU and "
            "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run value lumenseek)\n"
            "s.ini:8: removed: [UNINSTALL] lumenseek (HKCU and "
            "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\lumenseek)\n"
            "s.ini:10: removed: [HKEY_CURRENT_USER] lumenseek (HKCU\\SOFTWARE\\lumenseek)\n"
            "s.ini:12: removed: [FILE] %PROGRAM_FILES%\\lumenseek\\bin\\*.* (C:\\Program Files "
            "(x86)\\lumenseek\\bin\\*.*: 1 file before)\n"
            "s.ini:13: removed: [FILE] %PROGRAM_FILES%\\lumenseek\\*.dll (C:\\Program Files "
            "(x86)\\lumenseek\\*.dll: 1 file before)\n"
            "s.ini:15: removed: [PATH] %PROGRAM_FILES%\\lumenseek\\bin (C:\\Program Files (x86)\\lumenseek\\bin)\n"
            "s.ini:16: left: [PATH] %PROGRAM_FILES%\\lumenseek (C:\\Program Files (x86)\\lumenseek)\n"
            "7 removed, 1 left, 0 changed outside the script\n");
  EXPECT_FALSE(verdict.Passed());
}

TEST(TrialVerdict, ReportsEveryChangeThatNoEntryAccountsFor) {
  Snapshot before = Seeded();
  before.keys.push_back(
      {kView64, kRootLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\lumenseek"});
  before.values.push_back(
      {{kView64, kRootLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\lumenseek"},
       "seeded",
       1,
       64,
       ""});
  // A key both views see alike is one key: it went with the program's key.
  before.keys.push_back({kView64, kRootCurrentUser, "SOFTWARE\\lumenseek"});
  before.files.push_back({"C:\\tidemark-trial\\before.snap", 1});
  Snapshot after = Removed();
  after.files.clear();  // the decoy went too
  after.folders.pop_back();
  after.processes.pop_back();  // and the decoy process
  after.keys.push_back({kView32, kRootCurrentUser, "SOFTWARE\\new"});
  after.files.push_back({"C:\\tidemark-trial\\after.snap", 1});
  after.files.push_back({"C:\\users\\me\\Temp\\win.dat", 1});  // the program's own copy of its script
  const TrialVerdict verdict = JudgeTrial(kScript, before, after, {"C:\\tidemark-trial"});
  EXPECT_EQ(verdict.outside,
            (std::vector<std::string>{
                "process ended: lumenseek-decoy.exe",
                "key added: HKCU\\SOFTWARE\\new (32-bit view)",
                // The 64-bit view's entry held other values: another key, which the 32-bit program cannot reach.
                "key removed: HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\lumenseek (64-bit view)",
                "file removed: C:\\Program Files (x86)\\lumenseek\\decoy.txt",
            }));
  EXPECT_EQ(verdict.left, 0u);
  EXPECT_FALSE(verdict.Passed());
}

// After a restart that followed the run: every process has ended, whatever
// the run did.
Snapshot Restarted(Snapshot snapshot) {
  snapshot.processes.clear();
  return snapshot;
}

TEST(TrialVerdict, WithARestartTellsWhatWentOnlyAtTheRestart) {
  // The run could only schedule the DLL (another program held it); the
  // restart carried that out.
  Snapshot afterRun = Removed();
  afterRun.files.push_back({"C:\\Program Files (x86)\\lumenseek\\a.dll", 1});
  const Snapshot afterRestart = Restarted(Removed());
  const TrialVerdict verdict = JudgeTrial(kScript, Seeded(), afterRun, {}, &afterRestart);
  EXPECT_EQ(FormatTrialVerdict("s.ini", verdict),
            "s.ini:2: removed: [PROCESS] lumenseek.exe\n"
            "s.ini:4: off for the Start button: [SERVICE] lumensvc\n"
            "s.ini:6: removed: [STARTRUN] %PROGRAM_FILES%\\lumenseek\\lumenseek.exe (HKCU and "
            "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run value lumenseek)\n"
            "s.ini:8: removed: [UNINSTALL] lumenseek (HKCU and "
            "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\lumenseek)\n"
            "s.ini:10: removed: [HKEY_CURRENT_USER] lumenseek (HKCU\\SOFTWARE\\lumenseek)\n"
            "s.ini:12: removed: [FILE] %PROGRAM_FILES%\\lumenseek\\bin\\*.* (C:\\Program Files "
            "(x86)\\lumenseek\\bin\\*.*: 1 file before)\n"
            "s.ini:13: removed at restart: [FILE] %PROGRAM_FILES%\\lumenseek\\*.dll (C:\\Program Files "
            "(x86)\\lumenseek\\*.dll: 1 file before, 1 after the run)\n"
            "s.ini:15: removed: [PATH] %PROGRAM_FILES%\\lumenseek\\bin (C:\\Program Files (x86)\\lumenseek\\bin)\n"
            "s.ini:16: left: [PATH] %PROGRAM_FILES%\\lumenseek (C:\\Program Files (x86)\\lumenseek)\n"
            "7 removed, 1 left, 0 changed outside the script\n");
}

TEST(TrialVerdict, WithARestartJudgesProcessesByTheRunAndTheRestByTheRestart) {
  Snapshot before = Seeded();
  before.keys.push_back({kView32, kRootLocalMachine, "System\\CurrentControlSet\\Control\\Session Manager"});
  Snapshot afterRun = Removed();
  afterRun.processes.push_back("lumenseek.exe");  // the run did not end it
  afterRun.files.push_back({"C:\\Program Files (x86)\\lumenseek\\a.dll", 1});
  afterRun.folders.push_back("C:\\Program Files (x86)\\lumenseek\\bin");
  // Windows' list of what the run scheduled, which the restart uses up.
  const RegistryKey sessionManager{kView32, kRootLocalMachine, "System\\CurrentControlSet\\Control\\Session Manager"};
  afterRun.keys.push_back(sessionManager);
  afterRun.values.push_back({sessionManager, "PendingFileRenameOperations", 7, 9, ""});
  // The DLL is still there after the restart; the bin folder and the decoy
  // beside the DLL went only at the restart: the run scheduled them.
  Snapshot afterRestart = Restarted(Removed());
  afterRestart.files = {{"C:\\Program Files (x86)\\lumenseek\\a.dll", 1}};
  afterRestart.keys.push_back(sessionManager);
  // What Windows does while it starts is its own doing, not the run's.
  afterRestart.keys.push_back({kView32, kRootLocalMachine, "System\\CurrentControlSet\\Control\\Video\\{new}"});
  afterRestart.files.push_back({"C:\\windows\\Fonts\\new.ttf", 1});
  const TrialVerdict verdict = JudgeTrial(kScript, before, afterRun, {}, &afterRestart);
  ASSERT_EQ(verdict.entries.size(), 9u);
  // The restart ended it, not the run; and it ended the decoy process too,
  // which is no change of the run's.
  EXPECT_EQ(verdict.entries[0].outcome, Outcome::Left);
  EXPECT_EQ(verdict.entries[6].outcome, Outcome::Left);
  EXPECT_EQ(verdict.entries[6].detail,
            "C:\\Program Files (x86)\\lumenseek\\*.dll: 1 file before, 1 after the run, 1 after the restart");
  EXPECT_EQ(verdict.entries[7].outcome, Outcome::RemovedAtRestart);
  EXPECT_EQ(verdict.outside, (std::vector<std::string>{"file removed: C:\\Program Files (x86)\\lumenseek\\decoy.txt"}));
  EXPECT_EQ(verdict.removed, 5u);
  EXPECT_EQ(verdict.left, 3u);
}

TEST(TrialVerdict, TellsRefusedAndAbsentEntriesFromRemovedOnes) {
  const char script[] =
      "[PROCESS]\r\n"
      "item1=svchost.exe\r\n"
      "item2=notrunning.exe\r\n"
      "[FILE]\r\n"
      "item1=%WINDOWS%\\*.*\r\n";
  const TrialVerdict verdict = JudgeTrial(script, Seeded(), Seeded(), {});
  ASSERT_EQ(verdict.entries.size(), 3u);
  EXPECT_EQ(verdict.entries[0].outcome, Outcome::Refused);
  EXPECT_NE(verdict.entries[0].detail, "");
  EXPECT_EQ(verdict.entries[1].outcome, Outcome::NothingToDo);
  // No snapshot names the Windows folder: nothing to look at, and refused anyway.
  EXPECT_EQ(verdict.entries[2].outcome, Outcome::Refused);
  EXPECT_TRUE(verdict.Passed());
}

}  // namespace
}  // namespace tidemark::trial
