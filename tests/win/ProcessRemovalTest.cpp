// Ending real processes, deleting a real service and unregistering a real
// COM server file, under Wine.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/ProcessSteps.h"
#include "support/ExpectedTexts.h"
#include "system/Processes.h"
#include "system/Services.h"
#include "system/UniqueHandle.h"
#include "win/DialogDismisser.h"
#include "win/LumenseekInstallation.h"
#include "win/StepHarness.h"
#include "win/TestFolders.h"
#include "win/TestProcess.h"

namespace tidemark {
namespace {

using testing::RunningProgram;
using testing::ScratchFolder;
using testing::StepHarness;
using testing::TestProcess;

// Polls the condition until it holds or the bound passes; true when it held.
bool WaitUntil(const std::function<bool()>& condition, DWORD boundMs = 10000) {
  for (const ULONGLONG end = GetTickCount64() + boundMs;; Sleep(20)) {
    if (condition()) return true;
    if (GetTickCount64() >= end) return false;
  }
}

std::string ThisProgramsImageName() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  const std::string full = path;
  return full.substr(full.find_last_of('\\') + 1);
}

// A copy of the sleeper fixture that watches its partner program and starts
// it again at once whenever the watched one goes (its partner may be a
// restarter too). It runs inside a job object together with everything it
// starts, so that whatever the test did, all of them end with the object.
class Restarter {
 public:
  Restarter(const std::string& program, const std::string& partner)
      : m_program(program), m_partner(partner), m_names{NameOf(program), NameOf(partner)} {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(m_job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits);
    // A copy that is running already cannot be overwritten, and need not be.
    const std::string sleeper = testing::TestProgramFolder() + "\\tidemark_test_sleeper.exe";
    CopyFileA(sleeper.c_str(), program.c_str(), FALSE);
    CopyFileA(sleeper.c_str(), partner.c_str(), FALSE);
    TestProcess::Options options;
    options.job = m_job.get();
    m_started = TestProcess(program, "\"" + program + "\" --restart-partner \"" + partner + "\"", options);
  }
  ~Restarter() {
    TerminateJobObject(m_job.get(), 99);
    WaitUntil([this] { return RunningImageNames(m_names).empty(); });
  }

  // Started, and watching a partner (one it found or one it started).
  bool Ready() const {
    return m_started.Started() && WaitUntil([this] { return testing::FileExists(m_program + ".ready"); });
  }
  // How often the program and its partner were started again by a
  // restarter: one "+" a start, the program's count first.
  std::string Starts() const {
    return testing::ReadFileBytes(m_program + ".starts") + "|" + testing::ReadFileBytes(m_partner + ".starts");
  }
  bool NeitherRuns() const {
    return WaitUntil([this] { return RunningImageNames(m_names).empty(); });
  }

 private:
  static std::string NameOf(const std::string& path) { return path.substr(path.find_last_of('\\') + 1); }

  std::string m_program;
  std::string m_partner;
  std::vector<std::string> m_names;
  UniqueHandle m_job{CreateJobObjectA(nullptr, nullptr)};
  TestProcess m_started;
};

TEST(Processes, NameMatchesWithoutRegardToLetterCase) {
  ScratchFolder folder;
  RunningProgram agent(folder / "lumenseekagent.exe");
  ASSERT_TRUE(agent.Running());
  EXPECT_EQ(FindProcessId("LumenSeekAgent.EXE"), agent.Id());
  EXPECT_EQ(FindProcessId(folder / "lumenseekagent.exe"), kNoProcess);  // snapshot names have no folder
  EXPECT_EQ(FindProcessId("lumenseekagent"), kNoProcess);
  KillProcessByName("LUMENSEEKAGENT.EXE");
  EXPECT_TRUE(agent.WaitEnded());
}

TEST(Processes, OneCallEndsEveryRunningInstance) {
  // A second copy left running would keep the program file locked, and the
  // file step after it would fail.
  ScratchFolder folder;
  RunningProgram first(folder / "lumenseek.exe");
  RunningProgram second(folder / "lumenseek.exe");
  RunningProgram third(folder / "LUMENSEEK.EXE");
  RunningProgram decoy(folder / "lumenseek2.exe");
  ASSERT_TRUE(first.Running() && second.Running() && third.Running() && decoy.Running());
  EXPECT_EQ(FindProcessIds("lumenseek.exe").size(), 3u);
  KillProcessByName("lumenseek.exe");
  EXPECT_TRUE(first.WaitEnded());
  EXPECT_TRUE(second.WaitEnded());
  EXPECT_TRUE(third.WaitEnded());
  EXPECT_TRUE(decoy.Running());
}

TEST(Processes, NeverEndsThisProcessItself) {
  char path[MAX_PATH] = {};
  ASSERT_NE(GetModuleFileNameA(nullptr, path, MAX_PATH), 0u);
  const std::string self = std::string(path).substr(std::string(path).find_last_of('\\') + 1);
  ScratchFolder folder;
  RunningProgram copy(folder / self);  // another process of the same image name
  ASSERT_TRUE(copy.Running());
  KillProcessByName(self);  // this test program would not come back from ending itself
  EXPECT_TRUE(copy.WaitEnded());
}

TEST(Processes, StepNeverEndsWindowsOwnProcessesWhateverTheScriptSays) {
  // Copies of the test program under the names of Windows' own processes:
  // the step must leave them running, and still end the target after them.
  ScratchFolder folder;
  RunningProgram winlogon(folder / "winlogon.exe");
  RunningProgram svchost(folder / "SvcHost.exe");
  RunningProgram target(folder / "lumenseek.exe");
  ASSERT_TRUE(winlogon.Running() && svchost.Running() && target.Running());
  StepHarness harness("[PROCESS]\r\nitem1=winlogon.exe\r\nitem2=svchost.EXE\r\nitem3=lumenseek.exe");
  KillProcesses(harness);
  EXPECT_TRUE(target.WaitEnded());
  EXPECT_TRUE(winlogon.Running());
  EXPECT_TRUE(svchost.Running());
}

TEST(Processes, StepEndsEveryListedProgramAndPostsOnlyItsHeading) {
  ScratchFolder folder;
  RunningProgram agent(folder / "lumenseekagent.exe");
  RunningProgram main(folder / "lumenseek.exe");
  RunningProgram decoy(folder / "lumenseek-updater.exe");
  StepHarness harness(
      "[PROCESS]\r\nitem1=lumenseekagent.exe\r\nitem2=LUMENSEEK.EXE\r\nitem3=\r\nitem4=lumenseek-updater.exe");
  KillProcesses(harness);
  EXPECT_TRUE(agent.WaitEnded());
  EXPECT_TRUE(main.WaitEnded());
  EXPECT_TRUE(decoy.Running());  // after the end marker
  EXPECT_EQ(harness.lines, (std::vector<std::string>{expected::kKillProcesses}));
}

TEST(Processes, StepEndsProgramsThatStartEachOtherAgain) {
  // Each of the pair starts the other again the moment it goes.
  ScratchFolder folder;
  const std::string first = folder / "lumenseek.exe";
  const std::string second = folder / "lumenseekagent.exe";
  Restarter pair(first, second);
  ASSERT_TRUE(pair.Ready());
  ASSERT_TRUE(WaitUntil([&] { return testing::FileExists(second + ".ready"); }));  // started by the first
  RunningProgram decoy(folder / "lumenseek-helper.exe");
  ASSERT_TRUE(decoy.Running());
  ASSERT_EQ(pair.Starts(), "|+");
  StepHarness harness("[PROCESS]\r\nitem1=LumenSeek.exe\r\nitem2=lumenseekagent.exe\r\nitem3=");
  KillProcesses(harness);
  EXPECT_TRUE(pair.NeitherRuns());
  EXPECT_EQ(pair.Starts(), "|+");  // neither saw the other go
  EXPECT_TRUE(decoy.Running());
  EXPECT_EQ(harness.lines, (std::vector<std::string>{expected::kKillProcesses}));
  // The step waited for their end: the program files are free.
  EXPECT_TRUE(DeleteFileA(first.c_str())) << GetLastError();
  EXPECT_TRUE(DeleteFileA(second.c_str())) << GetLastError();
}

TEST(Processes, StepFreezesEveryInstanceBeforeTerminatingAny) {
  // The restarter watches the oldest copy of its partner and is found last:
  // were the copies terminated one by one while it still ran, it would see
  // the watched one go and start another while the rest are being ended.
  ScratchFolder folder;
  const std::string partner = folder / "lumenseek.exe";
  std::vector<std::unique_ptr<RunningProgram>> copies;
  for (int i = 0; i < 32; ++i) {
    copies.push_back(std::make_unique<RunningProgram>(partner));
    ASSERT_TRUE(copies.back()->Running());
  }
  Restarter watcher(folder / "lumenseekagent.exe", partner);
  ASSERT_TRUE(watcher.Ready());
  ASSERT_EQ(watcher.Starts(), "|");
  StepHarness harness("[PROCESS]\r\nitem1=lumenseek.exe\r\nitem2=lumenseekagent.exe");
  KillProcesses(harness);
  EXPECT_TRUE(watcher.NeitherRuns());
  EXPECT_EQ(watcher.Starts(), "|");
  for (const auto& copy : copies) EXPECT_FALSE(copy->Running());
}

TEST(Processes, StepReturnsOnlyOnceTheProgramFilesAreFree) {
  // A terminated program keeps its file in use until it has really ended;
  // the file step right after this one must be able to delete it.
  ScratchFolder folder;
  const std::string agentFile = folder / "lumenseekagent.exe";
  const std::string mainFile = folder / "lumenseek.exe";
  RunningProgram agent(agentFile);
  RunningProgram main(mainFile);
  ASSERT_TRUE(agent.Running() && main.Running());
  ASSERT_FALSE(DeleteFileA(mainFile.c_str()));  // in use while it runs
  StepHarness harness("[PROCESS]\r\nitem1=lumenseekagent.exe\r\nitem2=lumenseek.exe");
  KillProcesses(harness);
  EXPECT_FALSE(agent.Running());
  EXPECT_FALSE(main.Running());
  EXPECT_TRUE(DeleteFileA(agentFile.c_str())) << GetLastError();
  EXPECT_TRUE(DeleteFileA(mainFile.c_str())) << GetLastError();
}

TEST(Processes, StepNeverFreezesOrEndsThisProcess) {
  // Suspending this process would never come back; a copy under the same
  // name is ended as any other.
  const std::string self = ThisProgramsImageName();
  ScratchFolder folder;
  RunningProgram copy(folder / self);
  ASSERT_TRUE(copy.Running());
  StepHarness harness("[PROCESS]\r\nitem1=" + self);
  KillProcesses(harness);
  EXPECT_TRUE(copy.WaitEnded());
  EXPECT_FALSE(OtherProcessRuns(self));  // this one does not count
  EXPECT_EQ(harness.lines, (std::vector<std::string>{expected::kKillProcesses}));
}

TEST(Processes, StepWithNothingRunningPostsOnlyItsHeadingAndDoesNotPause) {
  StepHarness harness("[PROCESS]\r\nitem1=lumenseek-absent.exe\r\nitem2=lumenseekagent-absent.exe");
  KillProcesses(harness);
  EXPECT_EQ(harness.lines, (std::vector<std::string>{expected::kKillProcesses}));
  EXPECT_TRUE(harness.delays.empty());
}

TEST(Processes, RunningNamesAreThoseOfOtherProcessesInListOrder) {
  ScratchFolder folder;
  RunningProgram agent(folder / "lumenseekagent.exe");
  ASSERT_TRUE(agent.Running());
  const std::vector<std::string> names = {"lumenseek.exe", ThisProgramsImageName(), "LUMENSEEKAGENT.EXE"};
  EXPECT_EQ(RunningImageNames(names), (std::vector<std::string>{"LUMENSEEKAGENT.EXE"}));
  EXPECT_TRUE(OtherProcessRuns("LumenSeekAgent.exe"));
  EXPECT_FALSE(OtherProcessRuns("lumenseek.exe"));
  EXPECT_TRUE(EndProcessesByName(names));
  EXPECT_FALSE(agent.Running());
  EXPECT_TRUE(RunningImageNames(names).empty());
}

// The service manager keeps its services under this key; a deleted service
// loses its key once nothing holds it open.
bool ServiceExists(const std::string& name) {
  HKEY key = nullptr;
  const std::string path = "System\\CurrentControlSet\\Services\\" + name;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

// A deleted service goes once the last handle to it closes, which the
// service manager may do a little after sc has ended.
bool ServiceGoesAway(const std::string& name) {
  for (const ULONGLONG start = GetTickCount64(); GetTickCount64() - start < 10000; Sleep(50)) {
    if (!ServiceExists(name)) return true;
  }
  return false;
}

TEST(Services, StepStopsAndDeletesEachServiceWithAPauseBetween) {
  // A name of this run's own: a service deleted by an earlier run may linger
  // as "marked for deletion", and process ids repeat from one fresh Wine
  // server to the next. One real service only: Wine's service manager fails
  // to delete a service that another was created after, which Windows does
  // not; the second entry names a service that does not exist, which sc
  // reports without stopping the walk.
  const std::string name =
      "TidemarkTest" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(GetTickCount64());
  ASSERT_TRUE(ShellRunAndWait("sc", "create " + name + " binPath= \"C:\\tidemark-test\\service.exe\""));
  ASSERT_TRUE(ServiceExists(name));
  StepHarness harness("[SERVICE]\r\na=" + name + "\r\nb=TidemarkNoSuchService\r\nc=\r\nd=" + name);
  RemoveServices(harness);
  EXPECT_TRUE(ServiceGoesAway(name));
  EXPECT_EQ(harness.delays, (std::vector<int>{expected::kServiceStopPauseMs, expected::kServiceStopPauseMs}));
  EXPECT_EQ(harness.lines, (std::vector<std::string>{expected::kRemoveServices}));
}

TEST(Services, EmbeddedScriptsEmptyServiceListStartsNothing) {
  StepHarness harness("[SERVICE]\r\nitem1=\r\nitem2=Spooler");
  RemoveServices(harness);
  EXPECT_TRUE(harness.delays.empty());
  EXPECT_EQ(harness.lines, (std::vector<std::string>{expected::kRemoveServices}));
}

TEST(Services, UnlaunchableServiceToolPostsOneFailureAndEndsTheStep) {
  // Take sc.exe away from this throwaway prefix for the length of the test.
  char system[MAX_PATH];
  GetSystemDirectoryA(system, MAX_PATH);
  struct ParkedFile {
    std::string path;
    ~ParkedFile() { MoveFileA((path + ".parked").c_str(), path.c_str()); }
  } sc{std::string(system) + "\\sc.exe"};
  ASSERT_TRUE(MoveFileA(sc.path.c_str(), (sc.path + ".parked").c_str()));
  StepHarness harness("[SERVICE]\r\na=First\r\nb=Second");
  {
    testing::DialogDismisser dismisser;
    RemoveServices(harness);
  }
  EXPECT_EQ(harness.lines, (std::vector<std::string>{expected::kRemoveServices, expected::kServiceStopFailed}));
  EXPECT_TRUE(harness.delays.empty());
}

class ComServers : public ::testing::Test {
 protected:
  void SetUp() override {
    CopyFileA((testing::TestProgramFolder() + "\\tidemark_test_comserver.dll").c_str(), comServer.c_str(), FALSE);
    CopyFileA((testing::TestProgramFolder() + "\\tidemark_test_plaindll.dll").c_str(), plainDll.c_str(), FALSE);
  }
  bool MarkerFrom(const std::string& module, const std::string& what, DWORD process) const {
    return testing::FileExists(module + "." + what + "." + std::to_string(process));
  }
  int MarkerCount(const std::string& module, const std::string& what) const {
    WIN32_FIND_DATAA found;
    int count = 0;
    HANDLE search = FindFirstFileA((module + "." + what + ".*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    do ++count;
    while (FindNextFileA(search, &found));
    FindClose(search);
    return count;
  }

  ScratchFolder folder;
  std::string comServer = folder / "lumenseek helper.dll";  // a blank in the name, as under Program Files
  std::string plainDll = folder / "plain.dll";
};

TEST_F(ComServers, UnregisteringRunsRegsvr32WithoutLoadingTheModuleHere) {
  EXPECT_TRUE(RegisterComServer(comServer, false));
  EXPECT_EQ(MarkerCount(comServer, "unregistered"), 1);
  EXPECT_EQ(MarkerCount(comServer, "registered"), 0);
  EXPECT_FALSE(MarkerFrom(comServer, "loaded", GetCurrentProcessId()));
  EXPECT_TRUE(RegisterComServer(comServer, true));
  EXPECT_EQ(MarkerCount(comServer, "registered"), 1);
}

TEST_F(ComServers, ModulesWithoutTheExportOrNoModuleRunNothing) {
  EXPECT_FALSE(RegisterComServer(plainDll, false));
  EXPECT_FALSE(RegisterComServer(folder / "missing.dll", false));
  testing::WriteFileBytes(folder / "text.dll", "not a module");
  EXPECT_FALSE(RegisterComServer(folder / "text.dll", false));
  EXPECT_EQ(MarkerCount(plainDll, "loaded"), 0);
}

TEST_F(ComServers, StepWalksEveryEntryWhateverHappened) {
  const std::string script = "[BHO]\r\na=" + folder / "missing.dll" + "\r\nb=" + comServer + "\r\nc=\r\nd=" + comServer;
  StepHarness harness(script);
  RemoveBHOs(harness);
  EXPECT_EQ(MarkerCount(comServer, "unregistered"), 1);
  EXPECT_EQ(harness.lines, (std::vector<std::string>{expected::kRemoveBhos}));
}

TEST(ComServerParameters, SilentWithUnregisterSwitchAndQuotedWhenNeeded) {
  EXPECT_EQ(RegisterComServerParameters("C:\\x\\a.dll", true), "/s C:\\x\\a.dll");
  EXPECT_EQ(RegisterComServerParameters("C:\\x\\a.dll", false), "/s /u C:\\x\\a.dll");
  EXPECT_EQ(RegisterComServerParameters("C:\\Program Files\\a.dll", false), "/s /u \"C:\\Program Files\\a.dll\"");
}

}  // namespace
}  // namespace tidemark
