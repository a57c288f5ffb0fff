// The state of the keyboard as the message being handled saw it.
#pragma once

#include <windows.h>

namespace tidemark {

// True when the key was down at the time of the message being handled:
// GetKeyState follows the message queue, where GetAsyncKeyState would read
// the keyboard as it is now.
inline bool KeyIsDown(int virtualKey) { return (GetKeyState(virtualKey) & 0x8000) != 0; }

}  // namespace tidemark
