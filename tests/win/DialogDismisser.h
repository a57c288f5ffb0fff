// Closes the message boxes that this process shows while the object lives:
// the shell reports a launch that fails with a box of its own, and a test
// must not wait for a user who is not there.
#pragma once

#include <windows.h>

#include <atomic>

#include "win/TestThread.h"

namespace tidemark::testing {

class DialogDismisser {
 public:
  DialogDismisser() : m_thread([this] { Watch(); }) {}
  ~DialogDismisser() {
    m_stop = true;
    m_thread.Join();
  }
  int Dismissed() const { return m_dismissed; }

 private:
  static BOOL CALLBACK CloseIfOurDialog(HWND window, LPARAM context) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    if (process == GetCurrentProcessId() && IsWindowVisible(window) && lstrcmpA(className, "#32770") == 0) {
      PostMessageA(window, WM_COMMAND, IDOK, 0);
      ++reinterpret_cast<DialogDismisser*>(context)->m_dismissed;
    }
    return TRUE;
  }
  void Watch() {
    while (!m_stop) {
      EnumWindows(&DialogDismisser::CloseIfOurDialog, reinterpret_cast<LPARAM>(this));
      Sleep(50);
    }
  }

  std::atomic<bool> m_stop{false};
  std::atomic<int> m_dismissed{0};
  TestThread m_thread;
};

}  // namespace tidemark::testing
