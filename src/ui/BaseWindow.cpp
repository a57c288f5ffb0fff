#include "ui/BaseWindow.h"

namespace tidemark {

void ReportCurrentException() {
  try {
    throw;
  } catch (const std::exception& error) {
    ShowErrorReport(error.what());
  } catch (...) {
    ShowErrorReport("");
  }
}

SIZE OuterSizeForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle) {
  RECT bounds = {0, 0, clientWidth, clientHeight};
  AdjustWindowRectEx(&bounds, style, FALSE, exStyle);
  return {bounds.right - bounds.left, bounds.bottom - bounds.top};
}

UniqueFont CreateUiFont(const char* face, int characterHeight, bool bold) {
  LOGFONTA font = {};
  font.lfHeight = -characterHeight;
  font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfOutPrecision = OUT_DEFAULT_PRECIS;
  font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  font.lfQuality = DEFAULT_QUALITY;
  font.lfPitchAndFamily = DEFAULT_PITCH;
  lstrcpynA(font.lfFaceName, face, LF_FACESIZE);
  return UniqueFont(CreateFontIndirectA(&font));
}

HWND CreateControl(HWND parent, const char* className, const char* text, DWORD style, DWORD exStyle, int id, int left,
                   int top, int width, int height, HFONT font) {
  const HWND control =
      CreateWindowExA(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, left, top, width, height, parent,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
  if (control != nullptr && font != nullptr) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return control;
}

}  // namespace tidemark
