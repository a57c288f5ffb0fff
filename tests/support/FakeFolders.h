// Folders for the expansion without a shell: fixed texts, an optional failing
// lookup, and a log of every lookup made.
#pragma once

#include <map>
#include <vector>

#include "engine/PathMacros.h"

namespace tidemark::testing {

class FakeFolders : public FolderLookup {
 public:
  std::optional<std::string> SpecialFolder(int csidl) const override {
    lookups.push_back(csidl);
    const auto found = folders.find(csidl);
    if (found == folders.end()) return std::nullopt;
    return found->second;
  }
  std::optional<std::string> TempFolder() const override {
    lookups.push_back(kTempFolder);
    return temp;
  }

  std::map<int, std::string> folders{{26, "C:\\Users\\kim\\AppData\\Roaming"},
                                     {28, "C:\\Users\\kim\\AppData\\Local"},
                                     {35, "C:\\ProgramData"},
                                     {11, "C:\\Users\\kim\\Start Menu"},
                                     {2, "C:\\Users\\kim\\Start Menu\\Programs"},
                                     {38, "C:\\Program Files"},
                                     {42, "C:\\Program Files (x86)"},
                                     {36, "C:\\Windows"},
                                     {37, "C:\\Windows\\system32"},
                                     {41, "C:\\Windows\\SysWOW64"},
                                     {40, "C:\\Users\\kim"},
                                     {0, "C:\\Users\\kim\\Desktop"}};
  std::optional<std::string> temp = "C:\\Users\\kim\\AppData\\Local\\Temp";
  mutable std::vector<int> lookups;
};

}  // namespace tidemark::testing
