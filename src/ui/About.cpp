#include "ui/About.h"

#include <shellapi.h>

#include "system/ApplicationTitle.h"
#include "system/MessagePump.h"
#include "ui/ClickOnRelease.h"
#include "ui/ControlIds.h"
#include "ui/DesignTexts.h"
#include "ui/KeyState.h"
#include "ui/PackedBitmap.h"
#include "ui/PlainMessageBox.h"
#include "ui/WindowPlacement.h"

namespace tidemark {

namespace {

// A dialog frame with only the close box: no minimise or maximise box, and
// WS_EX_DLGMODALFRAME keeps the system-menu icon off the title bar.
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
constexpr int kClientWidth = 225;
constexpr int kClientHeight = 196;
constexpr COLORREF kTitleColour = RGB(0, 128, 0);

}  // namespace

bool TfrmAbout::CreateFormWindow(HWND owner) {
  if (!RegisterWindowClass(design::kAboutWindowClass, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)))) {
    return false;
  }
  const SIZE outer = OuterSizeForClient(kClientWidth, kClientHeight, kStyle, kExStyle);
  return CreateOwnWindow(design::kAboutWindowClass, design::kAboutCaption, kStyle, kExStyle, 0, 0, outer.cx, outer.cy,
                         owner) != nullptr;
}

void TfrmAbout::CreateControls() {
  m_font = CreateUiFont("MS Sans Serif", 11, false);
  m_titleFont = CreateUiFont("Verdana", 12, true);
  m_linkFont = CreateUiFont("Arial", 13, false);
  // A picture that cannot be unpacked leaves the box empty (DrawPicture).
  m_picture = LoadPackedBitmap(GetModuleHandleA(nullptr), design::kAboutBitmap);
  SendMessageA(Window(), WM_SETFONT, reinterpret_cast<WPARAM>(m_font.get()), FALSE);

  Label2 = CreateControl(Window(), "STATIC", design::kAboutTitle, SS_CENTER, 0, ids::kAboutLabel2, 16, 8, 193, 17,
                         m_titleFont.get());
  // Owner-drawn, so the picture is stretched to the box; SS_NOTIFY makes the
  // control take the mouse at all.
  Image1 =
      CreateControl(Window(), "STATIC", "", SS_OWNERDRAW | SS_NOTIFY, 0, ids::kAboutImage1, 24, 32, 180, 130, nullptr);
  Label1 = CreateControl(Window(), "STATIC", design::kHomePageUrl, SS_CENTER | SS_NOTIFY, 0, ids::kAboutLabel1, 24, 168,
                         177, 16, m_linkFont.get());
  // Like any button or link, they act when the press is released over them.
  MakeClickOnRelease(Image1);
  MakeClickOnRelease(Label1);
}

void TfrmAbout::FormCreate() { m_sequence = HiddenKeySequence(); }

void TfrmAbout::ShowModal() {
  const HWND owner = GetWindow(Window(), GW_OWNER);
  if (!m_placed) {
    m_placed = true;
    RECT ownerBounds = {};
    RECT ownBounds = {};
    GetWindowRect(owner, &ownerBounds);
    GetWindowRect(Window(), &ownBounds);
    const ScreenPoint place = CentredOn(
        {ownerBounds.left, ownerBounds.top, ownerBounds.right - ownerBounds.left, ownerBounds.bottom - ownerBounds.top},
        ownBounds.right - ownBounds.left, ownBounds.bottom - ownBounds.top);
    SetWindowPos(Window(), nullptr, place.left, place.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  // Modal: the owner takes no input while the window shows, and this loop
  // runs until the window is hidden again.
  EnableWindow(owner, FALSE);
  ShowWindow(Window(), SW_SHOW);
  SetForegroundWindow(Window());
  // A quit message taken in this modal loop reaches the main loop through
  // the pump's terminating state.
  MessagePump::Instance().RunLoop([this] { return IsWindowVisible(Window()) != FALSE; });
  Close();
  if (IsWindow(owner)) SetActiveWindow(owner);
}

void TfrmAbout::Close() {
  // The owner is enabled before the hiding, so that the system activates it
  // rather than another application's window.
  const HWND owner = GetWindow(Window(), GW_OWNER);
  if (owner != nullptr) EnableWindow(owner, TRUE);
  if (IsWindowVisible(Window())) ShowWindow(Window(), SW_HIDE);
}

void TfrmAbout::PreviewKeyDown(const MSG& message) {
  // Alt as the key message reports it: bit 29 of lParam, the context code.
  const bool alt = (message.lParam & (1L << 29)) != 0;
  FormKeyDown(static_cast<WORD>(message.wParam), KeyIsDown(VK_SHIFT), KeyIsDown(VK_CONTROL), alt);
}

void TfrmAbout::FormKeyDown(WORD key, bool shift, bool ctrl, bool alt) {
  if (!m_sequence.KeyDown(key, shift, ctrl, alt)) return;
  ShowPlainMessage(Window(), kCreditMessage, ApplicationTitle().c_str());
  m_sequence.CreditShown();
}

void TfrmAbout::Label1Click() { ShellExecuteA(nullptr, "open", design::kHomePageUrl, nullptr, nullptr, SW_SHOWNORMAL); }

void TfrmAbout::Image1Click() { Close(); }

void TfrmAbout::DrawPicture(const DRAWITEMSTRUCT& item) const {
  if (!m_picture) return;
  BITMAP info = {};
  GetObjectA(m_picture.get(), sizeof info, &info);
  const UniqueMemoryDc memory(CreateCompatibleDC(item.hDC));
  if (!memory) return;
  // The bitmap is selected out again before the DC goes, so that it can be
  // selected into the next one.
  const HGDIOBJ previous = SelectObject(memory.get(), m_picture.get());
  SetStretchBltMode(item.hDC, COLORONCOLOR);
  StretchBlt(item.hDC, item.rcItem.left, item.rcItem.top, item.rcItem.right - item.rcItem.left,
             item.rcItem.bottom - item.rcItem.top, memory.get(), 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
  SelectObject(memory.get(), previous);
}

LRESULT TfrmAbout::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      CreateControls();
      try {
        FormCreate();
      } catch (...) {
        ReportCurrentException();
      }
      return 0;
    case WM_CLOSE:
      // The close box and Alt+F4 hide the window; it lives until the end.
      Close();
      return 0;
    case WM_COMMAND:
      if (HIWORD(wParam) == STN_CLICKED) {
        if (LOWORD(wParam) == ids::kAboutImage1) Image1Click();
        if (LOWORD(wParam) == ids::kAboutLabel1) Label1Click();
      }
      return 0;
    case WM_CTLCOLORSTATIC: {
      const HDC dc = reinterpret_cast<HDC>(wParam);
      const HWND control = reinterpret_cast<HWND>(lParam);
      SetTextColor(dc, control == Label2 ? kTitleColour : GetSysColor(COLOR_WINDOWTEXT));
      SetBkMode(dc, TRANSPARENT);
      return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
    }
    case WM_DRAWITEM:
      if (wParam == static_cast<WPARAM>(ids::kAboutImage1)) {
        DrawPicture(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
      }
      break;
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wParam) == Label1) {
        SetCursor(LoadCursor(nullptr, IDC_HAND));
        return TRUE;
      }
      break;
    default: break;
  }
  return DefaultHandling(message, wParam, lParam);
}

}  // namespace tidemark
