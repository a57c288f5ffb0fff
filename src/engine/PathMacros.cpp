#include "engine/PathMacros.h"

#include "system/Cp949Text.h"

namespace tidemark {

namespace {

std::optional<std::string> LookUp(const PathMacro& macro, const FolderLookup& folders) {
  std::optional<std::string> folder =
      macro.csidl == kTempFolder ? folders.TempFolder() : folders.SpecialFolder(macro.csidl);
  if (folder && folder->empty()) return std::nullopt;
  return folder;
}

// Occurrences are found left to right, without overlap, on character
// boundaries; the inserted folder text is not searched again for this macro.
std::string ReplaceAll(std::string_view text, std::string_view macro, std::string_view folder) {
  std::string replaced;
  std::size_t copied = 0;
  for (std::size_t found = FindOnCharBoundary(text, macro); found != std::string_view::npos;
       found = FindOnCharBoundary(text, macro, found + macro.size())) {
    replaced.append(text.substr(copied, found - copied));
    replaced.append(folder);
    copied = found + macro.size();
  }
  replaced.append(text.substr(copied));
  return replaced;
}

}  // namespace

bool ExpandPathMacros(std::string_view value, std::string& result, const FolderLookup& folders) {
  std::string expanded(value);
  for (const PathMacro& macro : kPathMacros) {
    if (FindOnCharBoundary(expanded, macro.macro) == std::string::npos) continue;
    const std::optional<std::string> folder = LookUp(macro, folders);
    if (!folder) {
      result.clear();
      return false;
    }
    expanded = ReplaceAll(expanded, macro.macro, *folder);
  }
  result = std::move(expanded);
  return true;
}

}  // namespace tidemark
