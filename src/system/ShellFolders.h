// The real folders of this machine and user, from the shell and GetTempPathA.
#pragma once

#include <optional>
#include <string>

namespace tidemark {

// The shell folder with this CSIDL number (at most 261 characters), or
// nothing when the shell does not know it. A missing folder is not created.
std::optional<std::string> GetSpecialFolder(int csidl);

// GetTempPathA's folder without its trailing backslash, or nothing when the
// call fails or yields no text.
std::optional<std::string> GetTempFolder();

}  // namespace tidemark
