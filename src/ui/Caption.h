// A label's caption: kept as a string, so the form's operations work the
// same without a window (as the provisioning tests make them), and shown in
// the label's control once the window has created it.
#pragma once

#include <windows.h>

#include <string>

namespace tidemark {

class Caption {
 public:
  explicit Caption(std::string text) : m_text(std::move(text)) {}

  // Shows the current text in the control from now on.
  void Attach(HWND control) {
    m_control = control;
    if (m_control != nullptr) SetWindowTextA(m_control, m_text.c_str());
  }
  void Detach() { m_control = nullptr; }

  void Set(const std::string& text) {
    m_text = text;
    if (m_control != nullptr) SetWindowTextA(m_control, m_text.c_str());
  }

  const std::string& Text() const { return m_text; }
  HWND Control() const { return m_control; }

 private:
  std::string m_text;
  HWND m_control = nullptr;
};

}  // namespace tidemark
