// Facts about the Windows that the program runs on.
#pragma once

namespace tidemark {

// True on 64-bit Windows, also for this 32-bit program under WoW64, where
// the registry and the system folders have a second, 64-bit side.
bool Is64BitWindows();

}  // namespace tidemark
