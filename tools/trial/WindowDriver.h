// Driving the real program's window from another process, as a user would:
// finding a control, reading a text, clicking a button, waiting with a bound.
// The trial's Start press and the end-to-end tests share these.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace tidemark::driver {

// Polls the condition until it holds or the bound passes; true when it held.
inline bool WaitUntil(const std::function<bool()>& condition, DWORD boundMs = 60000) {
  const ULONGLONG end = GetTickCount64() + boundMs;
  for (;;) {
    if (condition()) return true;
    if (GetTickCount64() >= end) return false;
    Sleep(20);
  }
}

// A window's text, read across processes (WM_GETTEXT is marshalled); empty
// when the window does not answer within the bound.
inline std::string TextOf(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 10000, &length)) return {};
  std::string text(length + 1, '\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                           10000, &copied)) {
    return {};
  }
  text.resize(copied);
  return text;
}

struct ControlSearch {
  int id;
  HWND found;
};

// A named CALLBACK function, not a lambda: on 32-bit Windows a lambda
// converts only to a cdecl pointer, and the enumeration calls stdcall.
inline BOOL CALLBACK MatchControlId(HWND child, LPARAM context) {
  auto* search = reinterpret_cast<ControlSearch*>(context);
  if (GetDlgCtrlID(child) != search->id) return TRUE;
  search->found = child;
  return FALSE;
}

// The control with the id, searched through the whole tree of the window
// (the status list sits inside a group box).
inline HWND ControlOf(HWND window, int id) {
  ControlSearch search{id, nullptr};
  EnumChildWindows(window, MatchControlId, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// A click on a button as the button reports it to its window.
inline void Click(HWND window, int id) {
  PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(ControlOf(window, id)));
}

}  // namespace tidemark::driver
