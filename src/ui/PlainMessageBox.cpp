#include "ui/PlainMessageBox.h"

namespace tidemark {

namespace {

constexpr char kButtonText[] = "OK";

// The hook of the one box being shown; the program has one thread, and a
// box is shown from it only one at a time.
thread_local HHOOK t_hook = nullptr;

void CentreOnScreen(HWND box) {
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof monitor;
  if (!GetMonitorInfoA(MonitorFromWindow(box, MONITOR_DEFAULTTOPRIMARY), &monitor)) return;
  RECT bounds;
  GetWindowRect(box, &bounds);
  const RECT& area = monitor.rcWork;
  const int left = area.left + ((area.right - area.left) - (bounds.right - bounds.left)) / 2;
  const int top = area.top + ((area.bottom - area.top) - (bounds.bottom - bounds.top)) / 2;
  SetWindowPos(box, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The message box is made by MessageBoxA itself; its first activation is the
// moment it exists with its button and is not yet shown.
LRESULT CALLBACK BeforeTheBoxShows(int code, WPARAM wParam, LPARAM lParam) {
  const HHOOK hook = t_hook;
  if (code == HCBT_ACTIVATE) {
    const HWND box = reinterpret_cast<HWND>(wParam);
    SetDlgItemTextA(box, IDOK, kButtonText);
    CentreOnScreen(box);
    UnhookWindowsHookEx(hook);
    t_hook = nullptr;
    return 0;
  }
  return CallNextHookEx(hook, code, wParam, lParam);
}

}  // namespace

void ShowPlainMessage(HWND owner, const char* text, const char* caption) {
  t_hook = SetWindowsHookExA(WH_CBT, &BeforeTheBoxShows, nullptr, GetCurrentThreadId());
  MessageBoxA(owner, text, caption, MB_OK);
  // Not activated (it could not be made): the hook must not outlive the call.
  if (t_hook != nullptr) {
    UnhookWindowsHookEx(t_hook);
    t_hook = nullptr;
  }
}

}  // namespace tidemark
