// The processes that no removal script may end: Windows' own, without which
// the session or the whole system stops. The run and the checker share this
// one table.
#pragma once

#include <string_view>

namespace tidemark {

inline constexpr std::string_view kProtectedProcessNames[] = {
    "[System Process]", "System",      "Secure System", "Registry",        "Memory Compression", "smss.exe",
    "csrss.exe",        "wininit.exe", "winlogon.exe",  "services.exe",    "lsass.exe",          "lsaiso.exe",
    "lsm.exe",          "svchost.exe", "dwm.exe",       "fontdrvhost.exe",
};

// True when the image file name is one of the protected processes, ASCII
// letters compared without regard to case (as the process step matches
// names), blanks around the name ignored.
bool IsProtectedProcessName(std::string_view imageName);

}  // namespace tidemark
