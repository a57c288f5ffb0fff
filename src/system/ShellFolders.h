// The real folders of this machine and user, from the shell and GetTempPathA.
#pragma once

#include <optional>
#include <string>

#include "engine/PathMacros.h"

namespace tidemark {

// The shell folder with this CSIDL number (at most 261 characters), or
// nothing when the shell does not know it. A missing folder is not created.
std::optional<std::string> GetSpecialFolder(int csidl);

// GetTempPathA's folder without its trailing backslash, or nothing when the
// call fails or yields no text.
std::optional<std::string> GetTempFolder();

class ShellFolderLookup final : public FolderLookup {
 public:
  std::optional<std::string> SpecialFolder(int csidl) const override { return GetSpecialFolder(csidl); }
  std::optional<std::string> TempFolder() const override { return GetTempFolder(); }
};

}  // namespace tidemark
