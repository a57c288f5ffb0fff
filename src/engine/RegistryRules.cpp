#include "engine/RegistryRules.h"

#include <algorithm>

#include "system/Cp949Text.h"

namespace tidemark {

void SplitByDelimiter(std::vector<std::string>& list, std::string_view text, std::string_view delimiter) {
  list.clear();
  if (delimiter.empty()) {
    list.emplace_back(text);
    return;
  }
  // Appending the delimiter first makes the last piece end like the others.
  std::string rest = std::string(text) + std::string(delimiter);
  std::size_t start = 0;
  while (start < rest.size()) {
    const std::size_t found = rest.find(delimiter, start);
    if (found == std::string::npos) {
      // Only when the text ended with the start of the delimiter, which then
      // overlapped the appended one: an empty last piece, and the leftover
      // bytes of the delimiter are dropped.
      list.emplace_back();
      start += std::max<std::size_t>(delimiter.size() - 1, 1);
      continue;
    }
    list.push_back(rest.substr(start, found - start));
    start = found + delimiter.size();
  }
}

std::string RegistryParentPath(std::string_view name, std::string_view value) {
  // Key names are compared without regard to case by the registry, so a last
  // component that differs from the value only in case names the same key.
  // The component starts right after a backslash, which is never part of a
  // double-byte character, so the comparison starts on a character boundary.
  if (EqualsIgnoreCaseCp949(name, value)) return {};
  if (name.size() > value.size() && name[name.size() - value.size() - 1] == '\\' &&
      EqualsIgnoreCaseCp949(name.substr(name.size() - value.size()), value)) {
    return std::string(name.substr(0, name.size() - value.size()));
  }
  return std::string(name);
}

RegistryRoot RecoveryRoot(std::string_view name) {
  for (const RegistryRootNames& names : kRegistryRootNames) {
    if (name == names.name) return names.root;
  }
  return RegistryRoot::CurrentUser;
}

bool IsKnownRecoveryRoot(std::string_view name) {
  for (const RegistryRootNames& names : kRegistryRootNames) {
    if (name == names.name) return true;
  }
  return false;
}

}  // namespace tidemark
