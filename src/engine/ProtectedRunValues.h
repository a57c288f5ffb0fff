// Run values that Windows, its security centre or common drivers and
// programs put under the Run key. No removal script deletes them: the run,
// the preview and the checker share this one table.
#pragma once

#include <string_view>

namespace tidemark {

inline constexpr std::string_view kWindowsRunValueNames[] = {
    "SecurityHealth", "Windows Defender", "WindowsDefender", "RtHDVCpl", "OneDrive",   "ctfmon",
    "igfxtray",       "igfxhkcmd",        "igfxpers",        "hkcmd",    "IAStorIcon", "Sidebar",
};

// True when the Run value's name is one of the table's, ASCII letters
// compared without regard to case as the registry compares value names.
bool IsWindowsRunValueName(std::string_view valueName);

}  // namespace tidemark
