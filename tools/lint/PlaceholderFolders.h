// The folders the checker expands macros to. Every macro resolves, each to a
// folder of its own: the checker looks at the script, not at one machine, and
// folders under different macros must never look nested.
#pragma once

#include <optional>
#include <string>

#include "engine/PathMacros.h"

namespace tidemark::lint {

class PlaceholderFolders : public FolderLookup {
 public:
  std::optional<std::string> SpecialFolder(int csidl) const override {
    return "C:\\LINT-FOLDER-" + std::to_string(csidl);
  }
  std::optional<std::string> TempFolder() const override { return "C:\\LINT-FOLDER-TEMP"; }
};

}  // namespace tidemark::lint
