// Drives the real Tidemark.exe from outside, as a user would: starts it,
// finds its windows by class, reads texts, presses buttons and keys by
// messages, and waits (with a bound) for what should follow.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "system/UniqueHandle.h"
#include "trial/WindowDriver.h"
#include "win/TestProcess.h"

namespace tidemark::testing {

using driver::Click;
using driver::ControlOf;
using driver::TextOf;
using driver::WaitUntil;

// The program as built by this build, as a Windows path (the build passes
// a Unix path; Wine's drive Z: is the Unix root).
inline std::string TidemarkProgram() {
  std::string path = TIDEMARK_EXE;
  if (!path.empty() && path.front() == '/') {
    for (char& c : path) c = c == '/' ? '\\' : c;
    path = "Z:" + path;
  }
  return path;
}

class TidemarkProcess {
 public:
  // Starts the program with the given parameters; it inherits this
  // process's environment, so TMP and TEMP choose its temporary folder.
  explicit TidemarkProcess(const std::string& parameters = "")
      : m_process(TidemarkProgram(), "\"" + TidemarkProgram() + "\"" + (parameters.empty() ? "" : " " + parameters)) {}

  bool Started() const { return m_process.Started(); }
  DWORD Id() const { return m_process.Id(); }

  // The exit code once the process has ended within the bound, else -1.
  long WaitForExit(DWORD boundMs = 60000) const { return m_process.WaitForExit(boundMs); }

  // The process's top-level windows of the class (visible ones only, if asked).
  std::vector<HWND> Windows(const char* className, bool visibleOnly) const {
    Search search{m_process.Id(), className, visibleOnly, {}};
    EnumWindows(&TidemarkProcess::Collect, reinterpret_cast<LPARAM>(&search));
    return search.found;
  }
  HWND WaitForWindow(const char* className, bool visibleOnly = true, DWORD boundMs = 60000) const {
    HWND window = nullptr;
    WaitUntil(
        [&] {
          const std::vector<HWND> found = Windows(className, visibleOnly);
          window = found.empty() ? nullptr : found.front();
          return window != nullptr;
        },
        boundMs);
    return window;
  }

 private:
  struct Search {
    DWORD process;
    const char* className;
    bool visibleOnly;
    std::vector<HWND> found;
  };
  static BOOL CALLBACK Collect(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<Search*>(context);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    if (process == search->process && lstrcmpA(className, search->className) == 0 &&
        (!search->visibleOnly || IsWindowVisible(window))) {
      search->found.push_back(window);
    }
    return TRUE;
  }

  TestProcess m_process;
};

inline void PostKey(HWND target, WORD key) {
  PostMessageA(target, WM_KEYDOWN, key, 1);
  PostMessageA(target, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001));
}

// Real key presses: Ctrl's state and Alt's context bit come only from the
// system's input, not from posted messages.
inline void PressKeys(const std::vector<std::pair<WORD, bool>>& keys) {
  std::vector<INPUT> inputs;
  for (const auto& [key, down] : keys) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    inputs.push_back(input);
  }
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// The focus of another process's window thread (GetFocus sees only this
// thread's own).
inline HWND FocusOf(HWND window) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

// The mouse capture of another process's window thread.
inline HWND CaptureOf(HWND window) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
  return info.hwndCapture;
}

// Real mouse input at a point of the screen: a move there, then the flags
// (MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, or 0 for a move alone).
inline void MouseAt(POINT screen, DWORD buttons) {
  INPUT input = {};
  input.type = INPUT_MOUSE;
  input.mi.dx = MulDiv(screen.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
  input.mi.dy = MulDiv(screen.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | buttons;
  SendInput(1, &input, sizeof input);
}

inline POINT CentreOf(HWND control) {
  RECT bounds;
  GetWindowRect(control, &bounds);
  return {(bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2};
}

// True when a message box shows an icon: a visible static control of the
// icon kind that holds one. Whatever the control's id (Windows and Wine
// number it differently), so the check can fail on both.
inline BOOL CALLBACK FindShownIcon(HWND child, LPARAM found) {
  char className[16] = {};
  GetClassNameA(child, className, sizeof className);
  const LONG_PTR style = GetWindowLongPtrA(child, GWL_STYLE);
  DWORD_PTR icon = 0;
  if (lstrcmpiA(className, "Static") == 0 && (style & SS_TYPEMASK) == SS_ICON && IsWindowVisible(child) &&
      SendMessageTimeoutA(child, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 5000, &icon) && icon != 0) {
    *reinterpret_cast<bool*>(found) = true;
    return FALSE;
  }
  return TRUE;
}

inline bool MessageBoxShowsIcon(HWND box) {
  bool found = false;
  EnumChildWindows(box, FindShownIcon, reinterpret_cast<LPARAM>(&found));
  return found;
}

}  // namespace tidemark::testing
