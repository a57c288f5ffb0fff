// The main window of TfRemoveApp: its frame, its controls, its keyboard
// handling and its event handlers.
#include <windows.h>

#include <shellapi.h>

#include "ui/About.h"
#include "ui/ControlIds.h"
#include "ui/DesignTexts.h"
#include "ui/KeyState.h"
#include "ui/RemoveApp.h"

namespace tidemark {

namespace {

// A dialog frame with only the close box. WS_EX_CONTROLPARENT lets the
// dialog manager's Tab walk into the group box, which holds the memo. No
// WS_CLIPCHILDREN: a group box paints only its frame and caption, so the
// window's own background must show through it.
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_CONTROLPARENT;
constexpr int kLeft = 392;
constexpr int kTop = 134;
constexpr int kClientWidth = 491;
constexpr int kClientHeight = 410;

// The panel: a plain container painted with a one-pixel raised bevel (button
// highlight above and left, button shadow below and right).
LRESULT CALLBACK PanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(window, &paint);
    RECT bounds;
    GetClientRect(window, &bounds);
    DrawEdge(dc, &bounds, BDR_RAISEDINNER, BF_RECT);
    EndPaint(window, &paint);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

bool RegisterPanelClass() {
  WNDCLASSEXA panelClass = {};
  panelClass.cbSize = sizeof panelClass;
  panelClass.lpfnWndProc = &PanelProc;
  panelClass.hInstance = GetModuleHandleA(nullptr);
  panelClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  panelClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  panelClass.lpszClassName = design::kPanelClass;
  return RegisterClassExA(&panelClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool IsPushButton(HWND window) {
  char className[16] = {};
  GetClassNameA(window, className, sizeof className);
  if (lstrcmpiA(className, "Button") != 0) return false;
  const LONG_PTR type = GetWindowLongPtrA(window, GWL_STYLE) & BS_TYPEMASK;
  return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

}  // namespace

bool TfRemoveApp::CreateFormWindow(HWND owner) {
  if (!RegisterPanelClass()) return false;
  if (!RegisterWindowClass(design::kMainWindowClass, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1))) return false;
  const SIZE outer = OuterSizeForClient(kClientWidth, kClientHeight, kStyle, kExStyle);
  return CreateOwnWindow(design::kMainWindowClass, design::kMainCaption, kStyle, kExStyle, kLeft, kTop, outer.cx,
                         outer.cy, owner) != nullptr;
}

void TfRemoveApp::CreateControls() {
  m_font = CreateUiFont("Tahoma", 12, false);
  const HFONT font = m_font.get();
  const HWND window = Window();
  SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);

  // Creation order is the tab order: the dialog manager walks the Z order.
  // BS_NOTIFY reports focus changes, which move the default-button look.
  constexpr DWORD kButton = WS_TABSTOP | BS_PUSHBUTTON | BS_NOTIFY;
  btnStart = CreateControl(window, "BUTTON", design::kStartButton, WS_TABSTOP | BS_DEFPUSHBUTTON | BS_NOTIFY, 0,
                           ids::kBtnStart, 392, 96, 75, 25, font);
  btnAbout = CreateControl(window, "BUTTON", design::kAboutButton, kButton, 0, ids::kBtnAbout, 232, 368, 75, 25, font);
  btnHome = CreateControl(window, "BUTTON", design::kHomeButton, kButton, 0, ids::kBtnHome, 312, 368, 75, 25, font);
  btnClose = CreateControl(window, "BUTTON", design::kCloseButton, kButton, 0, ids::kBtnClose, 392, 368, 75, 25, font);

  GroupBox1 = CreateControl(window, "BUTTON", design::kProgressGroup, BS_GROUPBOX | WS_CLIPCHILDREN,
                            WS_EX_CONTROLPARENT, ids::kGroupBox1, 16, 128, 457, 233, font);
  // Word wrap: no ES_AUTOHSCROLL. ES_AUTOVSCROLL keeps an edit control from
  // refusing text beyond its last visible line.
  mmStatus = CreateControl(GroupBox1, "EDIT", "", WS_TABSTOP | ES_LEFT | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN,
                           WS_EX_CLIENTEDGE, ids::kMmStatus, 16, 24, 409, 185, font);
  SetWindowLongPtrA(mmStatus, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  m_memoProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(mmStatus, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TfRemoveApp::MemoProc)));

  Panel1 = CreateControl(window, design::kPanelClass, "", WS_CLIPCHILDREN, 0, ids::kPanel1, 16, 16, 457, 73, font);
  CreateControl(Panel1, "STATIC", design::kProgramLabel, SS_RIGHT, 0, ids::kLabel3, 16, 10, 60, 14, font);
  // The left-aligned labels show one line, cut at their edge, never wrapped.
  CreateControl(Panel1, "STATIC", design::kPurposeLabel, SS_LEFTNOWORDWRAP, 0, ids::kLabel4, 80, 10, 361, 14, font);
  CreateControl(Panel1, "STATIC", design::kCategoryLabel, SS_RIGHT, 0, ids::kLabel1, 16, 30, 60, 14, font);
  lblCategory.Attach(
      CreateControl(Panel1, "STATIC", "", SS_LEFTNOWORDWRAP, 0, ids::kLblCategory, 80, 30, 361, 14, font));
  CreateControl(Panel1, "STATIC", design::kProgramLabel, SS_RIGHT, 0, ids::kLabel2, 16, 50, 60, 14, font);
  lblName.Attach(CreateControl(Panel1, "STATIC", "", SS_LEFTNOWORDWRAP, 0, ids::kLblName, 80, 50, 361, 14, font));

  m_lastFocus = btnStart;
}

LRESULT CALLBACK TfRemoveApp::MemoProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<TfRemoveApp*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  // A multi-line edit control in a dialog answers Esc by posting WM_CLOSE to
  // its parent; the memo keeps Esc for itself and does nothing with it.
  if ((message == WM_KEYDOWN || message == WM_CHAR) && wParam == VK_ESCAPE) return 0;
  // It also takes Tab and would ask its parent, the group box, to move the
  // focus, which a group box ignores: the memo moves it itself, in the
  // window's tab order. Ctrl+Tab still types a tab.
  if (message == WM_KEYDOWN && wParam == VK_TAB && self != nullptr && !KeyIsDown(VK_CONTROL)) {
    const HWND next = GetNextDlgTabItem(self->Window(), window, KeyIsDown(VK_SHIFT));
    if (next != nullptr && next != window) SetFocus(next);
    return 0;
  }
  if (message == WM_CHAR && wParam == '\t' && !KeyIsDown(VK_CONTROL)) return 0;
  if (message == WM_SETFOCUS && self != nullptr) self->ShowAsDefault(self->btnStart);
  return CallWindowProcA(self != nullptr ? self->m_memoProc : DefWindowProcA, window, message, wParam, lParam);
}

void TfRemoveApp::ShowAsDefault(HWND button) {
  m_framedButton = button;
  for (const HWND each : {btnStart, btnAbout, btnHome, btnClose}) {
    const WPARAM style = each == button ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
    if ((static_cast<WPARAM>(GetWindowLongPtrA(each, GWL_STYLE)) & BS_TYPEMASK) != style) {
      SendMessageA(each, BM_SETSTYLE, style, TRUE);
    }
  }
}

void TfRemoveApp::Show() {
  ShowWindow(Window(), SW_SHOWNORMAL);
  SetForegroundWindow(Window());
  SetFocus(btnStart);
  UpdateWindow(Window());
}

bool TfRemoveApp::RouteDialogKey(MSG& message) {
  const HWND window = Window();
  if (window == nullptr || (message.hwnd != window && !IsChild(window, message.hwnd))) return false;
  if (message.message == WM_KEYDOWN && message.wParam == VK_RETURN) {
    // Enter presses the button that has the focus, whichever it is.
    const HWND focus = GetFocus();
    if (focus != nullptr && GetParent(focus) == window && IsPushButton(focus)) {
      SendMessageA(window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(focus), BN_CLICKED), reinterpret_cast<LPARAM>(focus));
      return true;
    }
  }
  if (IsDialogMessageA(window, &message) == FALSE) return false;
  // When the dialog manager moves the focus with a key it takes the default
  // frame off every button and gives it to the focused one, if that is a
  // push button; for the memo that would leave no button framed although
  // Start is the default there. The frame is put right once it is done.
  const bool key = message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN;
  const HWND focus = GetFocus();
  if (key && focus != nullptr && IsChild(window, focus)) {
    ShowAsDefault(GetParent(focus) == window && IsPushButton(focus) ? focus : btnStart);
  }
  return true;
}

void TfRemoveApp::btnAboutClick() {
  if (m_about != nullptr) m_about->ShowModal();
}

void TfRemoveApp::btnHomeClick() {
  ShellExecuteA(nullptr, "open", design::kHomePageUrl, nullptr, nullptr, SW_SHOWNORMAL);
}

// The same path as the close box and Alt+F4.
void TfRemoveApp::btnCloseClick() { CloseWindow(); }

void TfRemoveApp::CloseWindow() {
  // The close action stays at hide: the window goes out of sight, and since
  // it is the application's main window, the application is told to end.
  // A run paused in a Delay sees WindowClosed() and stops at its next slot.
  FormClose();
  ShowWindow(Window(), SW_HIDE);
  PostQuitMessage(0);
}

LRESULT TfRemoveApp::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      CreateControls();
      // An error in the creation handler is reported, and the window is
      // created and shown all the same.
      try {
        FormCreate();
      } catch (...) {
        ReportCurrentException();
      }
      return 0;
    case WM_CLOSE: CloseWindow(); return 0;
    case WM_ACTIVATE:
      // Keep the focused control across deactivation (the About window, a
      // message box), as the dialog manager does for dialogs.
      if (LOWORD(wParam) == WA_INACTIVE) {
        const HWND focus = GetFocus();
        if (focus != nullptr && IsChild(Window(), focus)) m_lastFocus = focus;
      } else if (m_lastFocus != nullptr && IsWindow(m_lastFocus)) {
        SetFocus(m_lastFocus);
        return 0;
      }
      break;
    case DM_GETDEFID:
      // The dialog manager asks which button is the default when the focus
      // moves, and gives it the frame again: the answer is the button that
      // shows the frame now, the focused one or else Start.
      return MAKELRESULT(m_framedButton != nullptr ? GetDlgCtrlID(m_framedButton) : ids::kBtnStart, DC_HASDEFID);
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      const int code = HIWORD(wParam);
      if (code == BN_SETFOCUS) {
        ShowAsDefault(reinterpret_cast<HWND>(lParam));
        return 0;
      }
      if (code != BN_CLICKED) return 0;
      switch (id) {
        case ids::kBtnStart: btnStartClick(); break;
        case ids::kBtnAbout: btnAboutClick(); break;
        case ids::kBtnHome: btnHomeClick(); break;
        case ids::kBtnClose: btnCloseClick(); break;
        default: break;
      }
      return 0;
    }
    default: break;
  }
  return DefaultHandling(message, wParam, lParam);
}

}  // namespace tidemark
