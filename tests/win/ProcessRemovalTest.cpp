// Ending real processes, deleting a real service and unregistering a real
// COM server file, under Wine.
#include <gtest/gtest.h>

#include "engine/ProcessSteps.h"
#include "support/ExpectedTexts.h"
#include "system/Processes.h"
#include "system/Services.h"
#include "system/UniqueHandle.h"
#include "win/DialogDismisser.h"
#include "win/LumenseekInstallation.h"
#include "win/StepHarness.h"
#include "win/TestFolders.h"

namespace tidemark {
namespace {

using testing::RunningProgram;
using testing::ScratchFolder;
using testing::StepHarness;

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
  EXPECT_EQ(harness.delays, (std::vector<int>{kServiceStopPauseMs, kServiceStopPauseMs}));
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
