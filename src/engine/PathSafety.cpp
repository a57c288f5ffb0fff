#include "engine/PathSafety.h"

#include <optional>

#include "system/Cp949Text.h"

namespace tidemark {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsWildcard(char c) { return c == '*' || c == '?'; }

bool SameCharacter(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  if (a.size() == 1) return ToUpperAscii(a[0]) == ToUpperAscii(b[0]);
  return a == b;  // double-byte characters have no case of their own here
}

// Calls visit(component) for each non-empty component after the drive.
template <typename Visit>
bool AllComponents(std::string_view path, std::size_t from, Visit visit) {
  std::size_t start = from;
  while (start < path.size()) {
    while (start < path.size() && IsSeparator(path[start])) ++start;
    std::size_t end = start;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    if (end > start && !visit(path.substr(start, end - start))) return false;
    start = end;
  }
  return true;
}

}  // namespace

bool MatchesFileMask(std::string_view mask, std::string_view name) {
  if (mask.empty() || name.empty()) return false;
  // Neither "." nor a wildcard can be the trail byte of a code page 949
  // character, so byte searches for them find only real ones.
  if (mask.back() == '.' && name.find('.') != std::string_view::npos) return false;
  std::size_t m = 0, n = 0;
  std::optional<std::size_t> starMask;  // just after the last "*" met
  std::size_t starName = 0;             // where that "*" began to match
  while (n < name.size()) {
    if (m < mask.size() && mask[m] == '*') {
      starMask = ++m;
      starName = n;
      continue;
    }
    const std::size_t nameChar = Cp949CharLength(name, n);
    if (m < mask.size()) {
      const std::size_t maskChar = Cp949CharLength(mask, m);
      if ((maskChar == 1 && mask[m] == '?') || SameCharacter(mask.substr(m, maskChar), name.substr(n, nameChar))) {
        m += maskChar;
        n += nameChar;
        continue;
      }
    }
    if (!starMask) return false;
    // Let the last "*" take one more whole character, and try again after it.
    starName += Cp949CharLength(name, starName);
    n = starName;
    m = *starMask;
  }
  return mask.find_first_not_of("*.", m) == std::string_view::npos;
}

bool IsSafeFolderPath(std::string_view path) {
  if (!IsFullyQualifiedPath(path)) return false;
  if (path.find(':', 2) != std::string_view::npos) return false;
  return AllComponents(
      path, 2, [](std::string_view component) { return component.find_first_not_of(". ") != std::string_view::npos; });
}

bool IsBroadMask(std::string_view mask) {
  if (mask.find_first_of("*?") == std::string_view::npos) return false;
  const std::string_view stem = mask.substr(0, mask.find('.'));
  for (char c : stem) {
    if (!IsWildcard(c)) return false;
  }
  return true;
}

std::string FolderComparisonKey(std::string_view folder) {
  std::string key;
  const bool drive = folder.size() >= 2 && folder[1] == ':';
  if (drive) key.assign(folder.substr(0, 2));
  AllComponents(folder, drive ? 2 : 0, [&key](std::string_view component) {
    // Windows drops dots and blanks at the end of a name ("Windows." is
    // "Windows"); neither byte can trail a double-byte character.
    const std::size_t kept = component.find_last_not_of(". ");
    if (kept == std::string_view::npos) return true;
    if (!key.empty()) key += '\\';
    key.append(component.substr(0, kept + 1));
    return true;
  });
  return ToUpperAsciiCp949(key);
}

bool IsDriveRoot(std::string_view folder) {
  const std::string key = FolderComparisonKey(folder);
  return key.size() == 2 && key[1] == ':';
}

bool IsWellKnownFolder(std::string_view folder, const std::vector<std::string>& wellKnown) {
  const std::string key = FolderComparisonKey(folder);
  if (key.empty()) return false;
  for (const std::string& known : wellKnown) {
    if (FolderComparisonKey(known) == key) return true;
  }
  return false;
}

std::vector<std::string> WellKnownFolders(const FolderLookup& folders) {
  std::vector<std::string> known;
  auto add = [&known](const std::optional<std::string>& folder) {
    if (folder && !folder->empty()) known.push_back(*folder);
  };
  for (const PathMacro& macro : kPathMacros) {
    add(macro.csidl == kTempFolder ? folders.TempFolder() : folders.SpecialFolder(macro.csidl));
  }
  constexpr int kProfile = 40, kWindows = 36;
  if (const std::optional<std::string> profile = folders.SpecialFolder(kProfile)) {
    const std::string key = FolderComparisonKey(*profile);
    const std::size_t parent = key.find_last_of('\\');
    // The key keeps the profile's own bytes apart from case, and Windows
    // compares folder names without case, so its parent names the folder.
    if (parent != std::string::npos) add(key.substr(0, parent));
  }
  if (const std::optional<std::string> windows = folders.SpecialFolder(kWindows)) {
    if (!windows->empty()) add(WithTrailingBackslash(*windows) + "Sysnative");
  }
  return known;
}

FileValueCheck CheckFileValue(std::string_view path, const std::vector<std::string>& wellKnown) {
  FileValueCheck check;
  const std::optional<MaskPath> split = SplitMaskPath(path);
  if (!split) return check;
  check.target = *split;
  if (split->mask.empty()) {
    check.verdict = FileValueVerdict::NoMask;
  } else if (!IsSafeFolderPath(split->folder)) {
    check.verdict = FileValueVerdict::UnsafeFolder;
  } else if (IsBroadMask(split->mask) && (IsDriveRoot(split->folder) || IsWellKnownFolder(split->folder, wellKnown))) {
    check.verdict = FileValueVerdict::BroadMaskInWellKnownFolder;
  } else {
    check.verdict = FileValueVerdict::Allowed;
  }
  return check;
}

}  // namespace tidemark
