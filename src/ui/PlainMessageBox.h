// A plain message dialog as the credit needs it: the text, no icon, one
// button that reads "OK" in every locale (a Korean system would label
// MessageBoxA's button "확인"), centred on the screen, modal over its owner.
#pragma once

#include <windows.h>

namespace tidemark {

void ShowPlainMessage(HWND owner, const char* text, const char* caption);

}  // namespace tidemark
