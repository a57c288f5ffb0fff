// The About window: the maker's title, picture and home-page link, and the
// hidden key sequence that shows the developer's credit.
#pragma once

#include <windows.h>

#include "system/UniqueHandle.h"
#include "ui/BaseWindow.h"
#include "ui/KeySequence.h"

namespace tidemark {

class TfrmAbout final : public BaseWindow<TfrmAbout> {
 public:
  TfrmAbout() = default;
  ~TfrmAbout() { DestroyOwnWindow(); }

  // Creates the window hidden, owned by the main window; FormCreate runs
  // inside the creation. False when the window cannot be made.
  bool CreateFormWindow(HWND owner);

  // Shows the window modally over its owner and returns once it is closed
  // (hidden again). Centred on the owner at the first showing only.
  void ShowModal();
  // Hides the window, which ends a modal showing.
  void Close();

  // Key preview: every key-down of the window or its controls comes here
  // first, before any control sees it. It never consumes the key.
  void PreviewKeyDown(const MSG& message);

  void FormCreate();
  void FormKeyDown(WORD key, bool shift, bool ctrl, bool alt);
  void Label1Click();
  void Image1Click();

  const HiddenKeySequence& Sequence() const { return m_sequence; }

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  HWND Label2 = nullptr;
  HWND Image1 = nullptr;
  HWND Label1 = nullptr;

 private:
  void CreateControls();
  void DrawPicture(const DRAWITEMSTRUCT& item) const;

  HiddenKeySequence m_sequence;
  UniqueFont m_font;
  UniqueFont m_titleFont;
  UniqueFont m_linkFont;
  UniqueBitmap m_picture;
  bool m_placed = false;
};

}  // namespace tidemark
