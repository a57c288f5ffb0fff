// Control identities of the two windows, in one place.
#pragma once

#include <windows.h>

namespace tidemark::ids {

// Main window. btnClose carries IDCANCEL: the dialog manager's Esc sends
// WM_COMMAND with IDCANCEL, so Esc and a click on Exit arrive as one command.
inline constexpr int kBtnStart = 1001;
inline constexpr int kBtnAbout = 1002;
inline constexpr int kBtnHome = 1003;
inline constexpr int kBtnClose = IDCANCEL;
inline constexpr int kGroupBox1 = 1004;
inline constexpr int kMmStatus = 1005;
inline constexpr int kPanel1 = 1006;
inline constexpr int kLabel3 = 1007;
inline constexpr int kLabel4 = 1008;
inline constexpr int kLabel1 = 1009;
inline constexpr int kLblCategory = 1010;
inline constexpr int kLabel2 = 1011;
inline constexpr int kLblName = 1012;

// About window.
inline constexpr int kAboutLabel2 = 2001;
inline constexpr int kAboutImage1 = 2002;
inline constexpr int kAboutLabel1 = 2003;

}  // namespace tidemark::ids
