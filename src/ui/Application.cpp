#include "ui/Application.h"

#include <shellapi.h>

#include <utility>

#include "system/ApplicationTitle.h"
#include "system/MessagePump.h"
#include "system/UniqueHandle.h"
#include "ui/DesignTexts.h"

namespace tidemark {

TApplication::TApplication(const FolderLookup& folders) : fRemoveApp(folders) {}

TApplication::~TApplication() {
  MessagePump::Instance().SetRouter(nullptr);
  MessagePump::Instance().SetApplicationWindow(nullptr);
}

bool TApplication::CreateApplicationWindow() {
  if (!RegisterWindowClass(design::kApplicationClass, nullptr)) return false;
  // A zero-sized popup at the middle of the screen: visible, it gives the
  // program its taskbar button; the forms it owns get none of their own.
  constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX;
  const int left = GetSystemMetrics(SM_CXSCREEN) / 2;
  const int top = GetSystemMetrics(SM_CYSCREEN) / 2;
  if (CreateOwnWindow(design::kApplicationClass, ApplicationTitle().c_str(), kStyle, 0, left, top, 0, 0, nullptr) ==
      nullptr) {
    return false;
  }
  // The taskbar button and Alt+Tab show the icons of this window, which owns
  // the forms; they set none of their own. Shared icons are never destroyed.
  for (const auto& [which, metric] : {std::pair{ICON_BIG, SM_CXICON}, std::pair{ICON_SMALL, SM_CXSMICON}}) {
    const int size = GetSystemMetrics(metric);
    const HANDLE icon = LoadImageA(GetModuleHandleA(nullptr), "MAINICON", IMAGE_ICON, size, size, LR_SHARED);
    SendMessageA(Window(), WM_SETICON, which, reinterpret_cast<LPARAM>(icon));
  }
  return true;
}

bool TApplication::Route(MSG& message) {
  try {
    const HWND about = frmAbout.Window();
    if (about != nullptr && (message.hwnd == about || IsChild(about, message.hwnd))) {
      if (message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN) frmAbout.PreviewKeyDown(message);
      // The About window has no dialog keys: Enter and Esc do not close it.
      return false;
    }
    return fRemoveApp.RouteDialogKey(message);
  } catch (...) {
    ReportCurrentException();
    return true;
  }
}

int TApplication::Run() {
  MessagePump& pump = MessagePump::Instance();
  pump.ClearTerminating();
  if (!CreateApplicationWindow()) return 0;
  pump.SetApplicationWindow(Window());

  if (!fRemoveApp.CreateFormWindow(Window())) return 0;
  if (frmAbout.CreateFormWindow(fRemoveApp.Window())) fRemoveApp.SetAboutWindow(&frmAbout);
  pump.SetRouter([this](MSG& message) { return Route(message); });

  fRemoveApp.Show();
  ShowWindow(Window(), SW_SHOWNOACTIVATE);

  // A quit message can be taken by a pause or a modal loop inside a handler;
  // they mark the pump instead, so the loop looks there before each wait.
  pump.RunLoop([] { return true; });
  pump.SetRouter(nullptr);
  ShowWindow(Window(), SW_HIDE);
  return 0;
}

LRESULT TApplication::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      // Closing the taskbar button closes the main window.
      if (fRemoveApp.Window() != nullptr) SendMessageA(fRemoveApp.Window(), WM_CLOSE, 0, 0);
      return 0;
    case WM_ACTIVATE:
      // The zero-sized window itself is no place for the focus.
      if (LOWORD(wParam) != WA_INACTIVE && fRemoveApp.Window() != nullptr && IsWindowVisible(fRemoveApp.Window())) {
        const HWND popup = GetLastActivePopup(Window());
        if (popup != nullptr && popup != Window()) SetActiveWindow(popup);
        return 0;
      }
      break;
    default: break;
  }
  return DefaultHandling(message, wParam, lParam);
}

std::vector<std::string> CommandLineParameters() {
  int count = 0;
  const UniqueArgv arguments(CommandLineToArgvW(GetCommandLineW(), &count));
  std::vector<std::string> parameters;
  if (!arguments) return parameters;
  for (int i = 1; i < count; ++i) {
    const wchar_t* argument = arguments.get()[i];
    const int size = WideCharToMultiByte(CP_ACP, 0, argument, -1, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(size > 0 ? size : 1), '\0');
    if (size > 0) WideCharToMultiByte(CP_ACP, 0, argument, -1, text.data(), size, nullptr, nullptr);
    text.resize(text.size() - 1);  // the converted terminator
    parameters.push_back(std::move(text));
  }
  return parameters;
}

}  // namespace tidemark
