// One class a window: the window procedure finds its object through
// GWLP_USERDATA, where creation stores the `this` passed in lpCreateParams,
// and calls the object's HandleMessage.
#pragma once

#include <windows.h>

#include <exception>
#include <string>

#include "system/UniqueHandle.h"
#include "ui/ErrorReport.h"

namespace tidemark {

// Shows the default error report for whatever a handler raised. Called only
// from inside a catch block.
void ReportCurrentException();

template <typename Derived>
class BaseWindow {
 public:
  BaseWindow() = default;
  BaseWindow(const BaseWindow&) = delete;
  BaseWindow& operator=(const BaseWindow&) = delete;
  ~BaseWindow() { DestroyOwnWindow(); }

  HWND Window() const { return m_window; }

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Derived* self = nullptr;
    if (message == WM_NCCREATE) {
      const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
      self = static_cast<Derived*>(create->lpCreateParams);
      SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
      self->m_window = window;
    } else {
      self = reinterpret_cast<Derived*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    }
    if (self == nullptr) return DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
      SetWindowLongPtrA(window, GWLP_USERDATA, 0);
      self->m_window = nullptr;
      return DefWindowProcA(window, message, wParam, lParam);
    }
    // A C++ exception must never unwind through the system's frames of a
    // window procedure: the report is shown here and the program goes on.
    try {
      return self->HandleMessage(message, wParam, lParam);
    } catch (...) {
      ReportCurrentException();
      return 0;
    }
  }

 protected:
  static bool RegisterWindowClass(const char* className, HBRUSH background) {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &BaseWindow::WindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = className;
    // Registered once per process; a second registration fails harmlessly.
    return RegisterClassExA(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }

  HWND CreateOwnWindow(const char* className, const char* caption, DWORD style, DWORD exStyle, int left, int top,
                       int width, int height, HWND owner) {
    return CreateWindowExA(exStyle, className, caption, style, left, top, width, height, owner, nullptr,
                           GetModuleHandleA(nullptr), static_cast<Derived*>(this));
  }

  // Called from the derived destructor, and again (harmlessly) from this
  // one: the object is unhooked first, so the destruction's own messages
  // never reach a half-destroyed object.
  void DestroyOwnWindow() {
    const HWND window = m_window;
    if (window == nullptr) return;
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    m_window = nullptr;
    DestroyWindow(window);
  }

  LRESULT DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(m_window, message, wParam, lParam);
  }

 private:
  HWND m_window = nullptr;
};

// A top-level window's outer size for the given client size, by the frame
// that its styles give it.
SIZE OuterSizeForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle);

// A font of the given character height in pixels (the em height, so a
// negative lfHeight), default character set.
UniqueFont CreateUiFont(const char* face, int characterHeight, bool bold);

// A child control with the window's font.
HWND CreateControl(HWND parent, const char* className, const char* text, DWORD style, DWORD exStyle, int id, int left,
                   int top, int width, int height, HFONT font);

}  // namespace tidemark
