// The folder lookup that the macros use in a real run: this machine's shell
// folders and temporary folder.
#pragma once

#include <optional>
#include <string>

#include "engine/PathMacros.h"
#include "system/ShellFolders.h"

namespace tidemark {

class ShellFolderLookup final : public FolderLookup {
 public:
  std::optional<std::string> SpecialFolder(int csidl) const override { return GetSpecialFolder(csidl); }
  std::optional<std::string> TempFolder() const override { return GetTempFolder(); }
};

}  // namespace tidemark
