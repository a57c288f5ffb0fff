#include "ui/ClickOnRelease.h"

namespace tidemark {

namespace {

WNDPROC OriginalProc(HWND control) { return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(control, GWLP_USERDATA)); }

bool PointerIsOver(HWND control, LPARAM lParam) {
  RECT client;
  GetClientRect(control, &client);
  // Client coordinates, signed: with the capture they may lie left of or
  // above the control.
  const POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  return PtInRect(&client, point) != FALSE;
}

LRESULT CALLBACK ClickOnReleaseProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      // The static control itself would report STN_CLICKED here, on the
      // press; the capture lets the release be seen wherever it happens.
      SetCapture(control);
      return 0;
    case WM_LBUTTONUP:
      if (GetCapture() != control) return 0;
      ReleaseCapture();
      if (PointerIsOver(control, lParam)) {
        SendMessageA(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), STN_CLICKED),
                     reinterpret_cast<LPARAM>(control));
      }
      return 0;
    default: break;
  }
  const WNDPROC original = OriginalProc(control);
  return original != nullptr ? CallWindowProcA(original, control, message, wParam, lParam)
                             : DefWindowProcA(control, message, wParam, lParam);
}

}  // namespace

void MakeClickOnRelease(HWND control) {
  if (control == nullptr) return;
  const LONG_PTR original = SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ClickOnReleaseProc));
  SetWindowLongPtrA(control, GWLP_USERDATA, original);
}

}  // namespace tidemark
