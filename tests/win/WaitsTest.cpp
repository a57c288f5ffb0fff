#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "system/MessagePump.h"
#include "system/Processes.h"
#include "system/UniqueHandle.h"
#include "system/Waits.h"
#include "win/DialogDismisser.h"
#include "win/TestFolders.h"

namespace tidemark {
namespace {

// Every test here asserts the order of events, never how long a call took:
// what a window handled, whether that was while the wait under test ran, and
// what had happened by the time the wait returned.

// A hidden window that logs the messages it handles, marked with whether the
// wait under test was running then and whether the application was already
// terminating.
class RecordingWindow {
 public:
  explicit RecordingWindow(std::string name = "window") : m_name(std::move(name)) {
    static const ATOM registered = [] {
      WNDCLASSA windowClass = {};
      windowClass.lpfnWndProc = &RecordingWindow::Procedure;
      windowClass.hInstance = GetModuleHandleA(nullptr);
      windowClass.lpszClassName = "TidemarkRecordingWindow";
      return RegisterClassA(&windowClass);
    }();
    (void)registered;
    m_window = CreateWindowA("TidemarkRecordingWindow", "", 0, 0, 0, 0, 0, nullptr, nullptr, GetModuleHandleA(nullptr),
                             nullptr);
    SetWindowLongPtrA(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    s_log.clear();
    s_onProgramMessage = nullptr;
  }
  ~RecordingWindow() {
    KillTimer(m_window, kTimerId);
    DestroyWindow(m_window);
    s_onProgramMessage = nullptr;
  }
  RecordingWindow(const RecordingWindow&) = delete;
  RecordingWindow& operator=(const RecordingWindow&) = delete;

  HWND Handle() const { return m_window; }
  void Post(WPARAM tag) const { PostMessageA(m_window, WM_APP, tag, 0); }
  // A message that only the system makes, once, when the time has passed:
  // with the time inside a pause, it arrives while the pause is running.
  void TimerAfter(UINT milliseconds) const { SetTimer(m_window, kTimerId, milliseconds, nullptr); }

  static const std::vector<std::string>& Log() { return s_log; }
  // Runs the call under test, marking what is handled meanwhile.
  static void During(const std::function<void()>& call) {
    s_waiting = true;
    call();
    s_waiting = false;
  }
  // Called for the message that the sleeper's --post-and-wait sends, with
  // the sleeper's process id.
  static inline std::function<void(DWORD)> s_onProgramMessage;

 private:
  static constexpr UINT_PTR kTimerId = 1;

  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<RecordingWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self && (message == WM_APP || message == WM_TIMER)) {
      if (message == WM_TIMER) KillTimer(window, kTimerId);
      std::string line = self->m_name + (message == WM_TIMER ? " timer" : " app " + std::to_string(wParam));
      line += s_waiting ? " during the wait" : " outside the wait";
      if (MessagePump::Instance().Terminating()) line += ", terminating";
      s_log.push_back(line);
      if (message == WM_APP && wParam == 1 && s_onProgramMessage) s_onProgramMessage(static_cast<DWORD>(lParam));
      return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
  }

  static inline std::vector<std::string> s_log;
  static inline bool s_waiting = false;
  std::string m_name;
  HWND m_window;
};

using Lines = std::vector<std::string>;

// The pause of these tests, and a time half-way through it for a timer.
constexpr int kPauseMs = 400;
constexpr UINT kHalfwayMs = kPauseMs / 2;

void DiscardQueue() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
  }
}

TEST(Delay, ZeroOrLessReturnsWithoutHandlingMessages) {
  RecordingWindow window;
  window.Post(7);
  RecordingWindow::During([&] {
    Delay(nullptr, 0);
    Delay(nullptr, -5);
    Delay(window.Handle(), 0);
  });
  EXPECT_EQ(RecordingWindow::Log(), Lines{});
  DiscardQueue();
}

TEST(Delay, HandlesWhatIsQueuedAndWhatArrivesUntilItsEnd) {
  // The timer's message comes into being half-way through the pause: a
  // pause that ends early, or handles messages only when it begins, never
  // sees it.
  RecordingWindow window;
  window.Post(10);
  window.Post(11);
  window.TimerAfter(kHalfwayMs);
  RecordingWindow::During([] { Delay(nullptr, kPauseMs); });
  EXPECT_EQ(RecordingWindow::Log(),
            (Lines{"window app 10 during the wait", "window app 11 during the wait", "window timer during the wait"}));
}

TEST(Delay, WithAWindowHandlesOnlyThatWindowsMessages) {
  RecordingWindow window("window"), other("other");
  for (WPARAM tag : {2, 3, 4}) window.Post(tag);
  other.Post(9);
  window.TimerAfter(kHalfwayMs);
  RecordingWindow::During([&] { Delay(window.Handle(), kPauseMs); });
  EXPECT_EQ(RecordingWindow::Log(), (Lines{"window app 2 during the wait", "window app 3 during the wait",
                                           "window app 4 during the wait", "window timer during the wait"}));
  MSG message;
  EXPECT_TRUE(PeekMessageA(&message, other.Handle(), WM_APP, WM_APP, PM_NOREMOVE)) << "the other window's message";
  DiscardQueue();
}

TEST(Delay, QuitMessageMarksTerminatingButThePauseGoesOn) {
  // The quit message is taken when the pause begins; the timer's message,
  // handled after it, shows that the pause went on.
  RecordingWindow window;
  PostQuitMessage(7);
  window.TimerAfter(kHalfwayMs);
  RecordingWindow::During([] { Delay(nullptr, kPauseMs); });
  EXPECT_EQ(RecordingWindow::Log(), Lines{"window timer during the wait, terminating"});
  EXPECT_TRUE(MessagePump::Instance().Terminating());
  EXPECT_EQ(MessagePump::Instance().ExitCode(), 7);
  MessagePump::Instance().ClearTerminating();
}

TEST(WindowsVersion, WineReportsAVersionFromVistaOn) { EXPECT_TRUE(IsWindowsVistaOrLater()); }

class ShellRun : public ::testing::Test {
 protected:
  // Starts the sleeper with --post-and-wait through the launcher under test.
  // The sleeper posts its message to the window and ends only once the
  // handler has set the event; the handler also opens the sleeper's process,
  // so the test can ask whether it had ended when the wait returned.
  bool RunProgramReleasedByItsMessage(int exitCode) {
    RecordingWindow::s_onProgramMessage = [this](DWORD process) {
      program.reset(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process));
      SetEvent(release.get());
    };
    const std::string parameters = "--post-and-wait " + std::to_string(reinterpret_cast<UINT_PTR>(window.Handle())) +
                                   " " + releaseName + " " + std::to_string(exitCode);
    bool result = false;
    RecordingWindow::During([&] { result = ShellRunAndWaitIn(fixtures, "tidemark_test_sleeper", parameters); });
    return result;
  }
  // The sleeper's exit code if it had ended by now, else -1. It ends with the
  // code asked for only when the handler released it; its own time-out gives 4.
  long ExitCodeIfEnded() const {
    DWORD code = 0;
    if (!program || WaitForSingleObject(program.get(), 0) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(program.get(), &code)) {
      return -1;
    }
    return static_cast<long>(code);
  }

  void TearDown() override {
    SetEvent(release.get());  // a wait that returned too early left the sleeper waiting
    if (program) WaitForSingleObject(program.get(), 60000);
    DiscardQueue();
  }

  std::string fixtures = testing::TestProgramFolder();
  RecordingWindow window;
  const std::string releaseName = "TidemarkWaitsRelease" + std::to_string(GetCurrentProcessId());
  UniqueHandle release{CreateEventA(nullptr, TRUE, FALSE, releaseName.c_str())};
  UniqueHandle program;
};

TEST_F(ShellRun, ProgramThatFailsStillCountsAsRunAndEnded) { EXPECT_TRUE(ShellRunAndWait("cmd", "/c exit 3")); }

TEST_F(ShellRun, ProgramThatCannotBeFoundIsFalse) {
  testing::DialogDismisser dismisser;  // the shell reports the failure in a box of its own
  EXPECT_FALSE(ShellRunAndWait("tidemark-no-such-tool", "/?"));
  EXPECT_FALSE(ShellRunAndWaitIn(fixtures, "tidemark-no-such-tool", ""));
}

TEST_F(ShellRun, WaitsForTheProgramToEndWhileHandlingMessages) {
  // The program's message can only be handled while the wait runs, and the
  // program ends only after that: a wait that stops handling messages never
  // lets it end, and one that returns early finds it still running.
  ASSERT_TRUE(release);
  EXPECT_TRUE(RunProgramReleasedByItsMessage(5));
  EXPECT_EQ(RecordingWindow::Log(), Lines{"window app 1 during the wait"});
  EXPECT_EQ(ExitCodeIfEnded(), 5) << "-1: the wait returned while the program still ran; "
                                     "4: the program's message was not handled while it ran";
}

TEST_F(ShellRun, ProgramEndingWithCode259IsSeenToHaveEnded) {
  // 259 is STILL_ACTIVE: an exit code alone cannot tell this program from a
  // running one, the process handle can.
  ASSERT_TRUE(release);
  EXPECT_TRUE(RunProgramReleasedByItsMessage(259));
  EXPECT_EQ(RecordingWindow::Log(), Lines{"window app 1 during the wait"});
  EXPECT_EQ(ExitCodeIfEnded(), 259);
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
