#include <gtest/gtest.h>

#include "system/MessagePump.h"
#include "system/Processes.h"
#include "system/Waits.h"
#include "win/DialogDismisser.h"
#include "win/TestFolders.h"

namespace tidemark {
namespace {

// A hidden window that counts the messages it is sent.
class CountingWindow {
 public:
  CountingWindow() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = &CountingWindow::Procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "TidemarkCountingWindow";
    RegisterClassA(&windowClass);
    m_window = CreateWindowA("TidemarkCountingWindow", "", 0, 0, 0, 0, 0, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    s_count = 0;
  }
  ~CountingWindow() { DestroyWindow(m_window); }
  HWND Handle() const { return m_window; }
  static int Count() { return s_count; }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP) {
      ++s_count;
      return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
  }
  static inline int s_count = 0;
  HWND m_window;
};

ULONGLONG NowMs() { return GetTickCount64(); }

void DiscardQueue() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
  }
}

TEST(Delay, ZeroOrLessReturnsWithoutHandlingMessages) {
  CountingWindow window;
  PostMessageA(window.Handle(), WM_APP, 0, 0);
  Delay(nullptr, 0);
  Delay(nullptr, -5);
  Delay(window.Handle(), 0);
  EXPECT_EQ(CountingWindow::Count(), 0);
  DiscardQueue();
}

TEST(Delay, HandlesMessagesWhileItWaitsTheWholeTime) {
  CountingWindow window;
  PostMessageA(window.Handle(), WM_APP, 0, 0);
  PostMessageA(window.Handle(), WM_APP, 0, 0);
  const ULONGLONG start = NowMs();
  Delay(nullptr, 200);
  EXPECT_GE(NowMs() - start, 190u);  // the clock's granularity aside, never early
  EXPECT_EQ(CountingWindow::Count(), 2);
}

TEST(Delay, WithAWindowHandlesThatWindowsMessages) {
  CountingWindow window;
  for (int i = 0; i < 3; ++i) PostMessageA(window.Handle(), WM_APP, 0, 0);
  Delay(window.Handle(), 100);
  EXPECT_EQ(CountingWindow::Count(), 3);
}

TEST(Delay, QuitMessageMarksTerminatingButDoesNotShortenThePause) {
  PostQuitMessage(7);
  const ULONGLONG start = NowMs();
  Delay(nullptr, 150);
  EXPECT_GE(NowMs() - start, 140u);
  EXPECT_TRUE(MessagePump::Instance().Terminating());
  EXPECT_EQ(MessagePump::Instance().ExitCode(), 7);
  MessagePump::Instance().ClearTerminating();
}

TEST(WindowsVersion, WineReportsAVersionFromVistaOn) { EXPECT_TRUE(IsWindowsVistaOrLater()); }

class ShellRun : public ::testing::Test {
 protected:
  std::string fixtures = testing::TestProgramFolder();
};

TEST_F(ShellRun, ProgramThatFailsStillCountsAsRunAndEnded) {
  EXPECT_TRUE(ShellRunAndWait("cmd", "/c exit 3"));
}

TEST_F(ShellRun, ProgramThatCannotBeFoundIsFalse) {
  testing::DialogDismisser dismisser;  // the shell reports the failure in a box of its own
  EXPECT_FALSE(ShellRunAndWait("tidemark-no-such-tool", "/?"));
  EXPECT_FALSE(ShellRunAndWaitIn(fixtures, "tidemark-no-such-tool", ""));
}

TEST_F(ShellRun, WaitsForTheProgramToEndWhileHandlingMessages) {
  CountingWindow window;
  PostMessageA(window.Handle(), WM_APP, 0, 0);
  const ULONGLONG start = NowMs();
  EXPECT_TRUE(ShellRunAndWaitIn(fixtures, "tidemark_test_sleeper", "300 0"));
  EXPECT_GE(NowMs() - start, 290u);
  EXPECT_EQ(CountingWindow::Count(), 1);
}

TEST_F(ShellRun, ProgramEndingWithCode259IsSeenToHaveEnded) {
  // 259 is STILL_ACTIVE: an exit code alone cannot tell this program from a
  // running one, the process handle can.
  EXPECT_TRUE(ShellRunAndWaitIn(fixtures, "tidemark_test_sleeper", "10 259"));
}

TEST_F(ShellRun, QuitDuringTheWaitEndsItAndLeavesTheProgramRunning) {
  PostQuitMessage(0);
  EXPECT_TRUE(ShellRunAndWaitIn(fixtures, "tidemark_test_sleeper", "60000"));
  EXPECT_TRUE(MessagePump::Instance().Terminating());
  MessagePump::Instance().ClearTerminating();
  EXPECT_NE(FindProcessId("tidemark_test_sleeper.exe"), kNoProcess);
  KillProcessByName("tidemark_test_sleeper.exe");
}

}  // namespace
}  // namespace tidemark
