#include "engine/PathSafety.h"

#include <optional>

#include "engine/EntryVerdicts.h"
#include "system/Cp949Text.h"

namespace tidemark {

namespace {

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
    while (start < path.size() && IsPathSeparator(path[start])) ++start;
    std::size_t end = start;
    while (end < path.size() && !IsPathSeparator(path[end])) ++end;
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
  if (!HasWildcard(mask)) return false;
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
  if (const std::optional<std::string> profile = folders.SpecialFolder(csidl::kProfile)) {
    const std::string key = FolderComparisonKey(*profile);
    const std::size_t parent = key.find_last_of('\\');
    // The key keeps the profile's own bytes apart from case, and Windows
    // compares folder names without case, so its parent names the folder.
    if (parent != std::string::npos) add(key.substr(0, parent));
  }
  if (const std::optional<std::string> windows = folders.SpecialFolder(csidl::kWindows)) {
    if (!windows->empty()) add(WithTrailingBackslash(*windows) + "Sysnative");
  }
  return known;
}

namespace {

// The folders that Windows makes in every profile, below the profile, in
// the layout of Windows Vista and later and in the older one (which later
// versions keep as links). Compared by FolderComparisonKey, so in upper case.
constexpr std::string_view kProfileKnownFolders[] = {
    "DESKTOP",
    "DOCUMENTS",
    "DOWNLOADS",
    "PICTURES",
    "MUSIC",
    "VIDEOS",
    "FAVORITES",
    "LINKS",
    "CONTACTS",
    "SAVED GAMES",
    "SEARCHES",
    "ONEDRIVE",
    "3D OBJECTS",
    "APPDATA",
    "APPDATA\\LOCAL",
    "APPDATA\\LOCALLOW",
    "APPDATA\\ROAMING",
    "APPDATA\\LOCAL\\TEMP",
    "APPDATA\\LOCAL\\PROGRAMS",
    "APPDATA\\LOCAL\\MICROSOFT",
    "APPDATA\\LOCAL\\MICROSOFT\\WINDOWS",
    "APPDATA\\ROAMING\\MICROSOFT",
    "APPDATA\\ROAMING\\MICROSOFT\\WINDOWS",
    "APPDATA\\ROAMING\\MICROSOFT\\WINDOWS\\START MENU",
    "APPDATA\\ROAMING\\MICROSOFT\\WINDOWS\\START MENU\\PROGRAMS",
    "APPDATA\\ROAMING\\MICROSOFT\\WINDOWS\\START MENU\\PROGRAMS\\STARTUP",
    "APPDATA\\ROAMING\\MICROSOFT\\WINDOWS\\RECENT",
    "APPDATA\\ROAMING\\MICROSOFT\\WINDOWS\\SENDTO",
    "APPDATA\\ROAMING\\MICROSOFT\\WINDOWS\\TEMPLATES",
    "APPDATA\\ROAMING\\MICROSOFT\\INTERNET EXPLORER\\QUICK LAUNCH",
    "MY DOCUMENTS",
    "APPLICATION DATA",
    "LOCAL SETTINGS",
    "LOCAL SETTINGS\\APPLICATION DATA",
    "LOCAL SETTINGS\\TEMP",
    "START MENU",
    "START MENU\\PROGRAMS",
    "START MENU\\PROGRAMS\\STARTUP",
    "TEMPLATES",
    "SENDTO",
    "RECENT",
    "NETHOOD",
    "PRINTHOOD",
    "COOKIES",
};

// The part of `key` below `base` (both comparison keys), or nothing when
// `key` is not `base` or below it.
std::optional<std::string_view> RelativeBelow(std::string_view key, std::string_view base) {
  if (base.empty() || key.size() < base.size() || key.compare(0, base.size(), base) != 0) return std::nullopt;
  if (key.size() == base.size()) return std::string_view();
  if (key[base.size()] != '\\') return std::nullopt;
  return key.substr(base.size() + 1);
}

bool IsKnownProfileFolder(std::string_view relative) {
  for (std::string_view known : kProfileKnownFolders) {
    if (relative == known) return true;
  }
  return false;
}

// A profile, or a known folder of one: the profile named outright, or any
// folder directly inside a folder of profiles.
bool IsProfileOrKnownFolderOfOne(const std::string& key, const FolderGuard& guard) {
  for (const std::string& profile : guard.profiles) {
    const std::optional<std::string_view> rest = RelativeBelow(key, FolderComparisonKey(profile));
    if (rest && (rest->empty() || IsKnownProfileFolder(*rest))) return true;
  }
  for (const std::string& parent : guard.profileParents) {
    const std::optional<std::string_view> rest = RelativeBelow(key, FolderComparisonKey(parent));
    if (!rest || rest->empty()) continue;
    const std::size_t slash = rest->find('\\');
    if (slash == std::string_view::npos || IsKnownProfileFolder(rest->substr(slash + 1))) return true;
  }
  return false;
}

bool IsInsideWindowsFolder(const std::string& key, const FolderGuard& guard) {
  for (const std::string& windows : guard.windowsFolders) {
    if (RelativeBelow(key, FolderComparisonKey(windows))) return true;
  }
  return false;
}

bool IsShortNameComponent(std::string_view component) {
  // The stem of an 8.3 name: at most eight characters, ending in "~" and
  // digits ("PROGRA~1", "LUMENS~12"); the extension, if any, does not count.
  const std::string_view stem = component.substr(0, component.find('.'));
  const std::size_t tilde = stem.rfind('~');
  if (tilde == std::string_view::npos || tilde == 0 || tilde + 1 == stem.size() || stem.size() > 8) return false;
  for (std::size_t i = tilde + 1; i < stem.size(); ++i) {
    if (stem[i] < '0' || stem[i] > '9') return false;
  }
  return true;
}

bool IsNetworkOrDevicePath(std::string_view path) {
  return path.size() >= 2 && IsPathSeparator(path[0]) && IsPathSeparator(path[1]);
}

// Why IsSafeFolderPath refuses a drive-rooted folder.
std::string UnsafeFolderReason(std::string_view folder) {
  if (folder.find(':', 2) != std::string_view::npos) {
    return "it holds a ':' after the drive's, which names a stream or a device, not a folder";
  }
  bool dots = false;
  AllComponents(folder, 2, [&dots](std::string_view component) {
    dots = dots || component.find_first_not_of(". ") == std::string_view::npos;
    return !dots;
  });
  if (dots) return "a '.' or '..' component makes Windows climb out of the folder that the value seems to name";
  return "it does not name its folder from a drive's root";
}

// The refusal of a value that is no full path, in the words of its section.
std::optional<Verdict> UnqualifiedVerdict(std::string_view written, std::string_view expanded, bool files) {
  if (IsFullyQualifiedPath(expanded)) return std::nullopt;
  if (IsNetworkOrDevicePath(expanded)) {
    return Verdict::Refused(QuoteScriptText(written) +
                            " is a network share or a device path ('\\\\server\\share', '\\\\?\\', "
                            "'\\\\.\\'): the program works only on local drives and refuses it; name the "
                            "folder from its drive or a folder macro");
  }
  return Verdict::Refused(QuoteScriptText(written) +
                          " is neither a full path (such as 'C:\\...') nor starts with a folder macro; the "
                          "program refuses it and " +
                          (files ? "deletes" : "removes") +
                          " nothing (start it with a drive, such as 'C:\\', or a folder macro; the thirteen "
                          "macros are matched exactly, in upper case)");
}

Verdict ShortNameVerdict(std::string_view written) {
  return Verdict::Refused("the folder of " + QuoteScriptText(written) +
                          " holds an 8.3 short name (such as 'PROGRA~1'), which stands for another folder on each "
                          "machine: the program refuses it; write the folder's long name");
}

}  // namespace

FolderGuard GuardedFolders(const FolderLookup& folders) {
  FolderGuard guard;
  guard.wellKnown = WellKnownFolders(folders);
  if (const std::optional<std::string> windows = folders.SpecialFolder(csidl::kWindows)) {
    if (!windows->empty()) {
      guard.windowsFolders.push_back(*windows);
      for (const char* system : {"System32", "SysWOW64"}) {
        guard.wellKnown.push_back(WithTrailingBackslash(*windows) + system);
      }
    }
  }
  if (const std::optional<std::string> profile = folders.SpecialFolder(csidl::kProfile)) {
    if (!profile->empty()) {
      guard.profiles.push_back(*profile);
      const std::string key = FolderComparisonKey(*profile);
      const std::size_t parent = key.find_last_of('\\');
      if (parent != std::string::npos && parent > 2) guard.profileParents.push_back(key.substr(0, parent));
    }
  }
  return guard;
}

bool HasShortNameComponent(std::string_view folder) {
  return !AllComponents(folder, 0, [](std::string_view component) { return !IsShortNameComponent(component); });
}

bool IsGuardedFromBroadMasks(std::string_view folder, const FolderGuard& guard) {
  const std::string key = FolderComparisonKey(folder);
  return IsDriveRoot(folder) || IsWellKnownFolder(folder, guard.wellKnown) || IsInsideWindowsFolder(key, guard) ||
         IsProfileOrKnownFolderOfOne(key, guard);
}

bool IsGuardedFromRemoval(std::string_view folder, const FolderGuard& guard) {
  return IsDriveRoot(folder) || IsWellKnownFolder(folder, guard.wellKnown) ||
         IsWellKnownFolder(folder, guard.windowsFolders) ||
         IsProfileOrKnownFolderOfOne(FolderComparisonKey(folder), guard);
}

FileValueCheck CheckFileValue(std::string_view path, const FolderGuard& guard) {
  FileValueCheck check;
  const std::optional<MaskPath> split = SplitMaskPath(path);
  if (!split) return check;
  check.target = *split;
  if (split->mask.empty()) {
    check.verdict = FileValueVerdict::NoMask;
  } else if (!IsSafeFolderPath(split->folder)) {
    check.verdict = FileValueVerdict::UnsafeFolder;
  } else if (HasShortNameComponent(split->folder)) {
    check.verdict = FileValueVerdict::ShortNameFolder;
  } else if (IsBroadMask(split->mask) && IsGuardedFromBroadMasks(split->folder, guard)) {
    check.verdict = FileValueVerdict::BroadMaskInWellKnownFolder;
  } else {
    check.verdict = FileValueVerdict::Allowed;
  }
  return check;
}

Verdict FileEntryVerdict(std::string_view written, std::string_view expanded, const FolderGuard& guard) {
  const FileValueCheck check = CheckFileValue(expanded, guard);
  switch (check.verdict) {
    case FileValueVerdict::Allowed: return Verdict::Allowed();
    case FileValueVerdict::NoFolder: break;
    case FileValueVerdict::NoMask:
      if (IsFullyQualifiedPath(expanded)) {
        return Verdict::Refused(QuoteScriptText(written) + " ends in " +
                                QuoteScriptText(written.empty() ? written : written.substr(written.size() - 1)) +
                                ": it has no file mask, so the program refuses it and deletes nothing (add one, "
                                "such as '*.*')");
      }
      break;
    case FileValueVerdict::UnsafeFolder:
      if (IsFullyQualifiedPath(check.target.folder)) {
        return Verdict::Refused("the folder of " + QuoteScriptText(written) +
                                " is refused: " + UnsafeFolderReason(check.target.folder) +
                                "; the program deletes nothing for it (name the folder plainly, from its drive or a "
                                "folder macro)");
      }
      break;
    case FileValueVerdict::ShortNameFolder: return ShortNameVerdict(written);
    case FileValueVerdict::BroadMaskInWellKnownFolder:
      return Verdict::Refused(
          "the mask " + QuoteScriptText(check.target.mask) + " would delete every file in " +
          (IsDriveRoot(check.target.folder) ? std::string("the root of a drive")
                                            : "a folder of Windows, of a user's profile or of every program") +
          ", " + QuoteScriptText(written) +
          ": the program refuses it and deletes nothing; name the target's own subfolder, such as "
          "'%PROGRAM_FILES%\\lumenseek\\*.*', or its files by name or by a mask with a literal stem, such as "
          "'lumen*.*'");
  }
  if (std::optional<Verdict> unqualified = UnqualifiedVerdict(written, expanded, true)) return *unqualified;
  return Verdict::Refused(QuoteScriptText(written) + " names no folder to delete in; the program refuses it");
}

Verdict FolderEntryVerdict(std::string_view written, std::string_view expanded, const FolderGuard& guard) {
  if (std::optional<Verdict> unqualified = UnqualifiedVerdict(written, expanded, false)) return *unqualified;
  if (!IsSafeFolderPath(expanded)) {
    return Verdict::Refused("the folder " + QuoteScriptText(written) + " is refused: " + UnsafeFolderReason(expanded) +
                            "; the program removes nothing for it (name the folder plainly)");
  }
  if (HasShortNameComponent(expanded)) return ShortNameVerdict(written);
  if (IsDriveRoot(expanded)) {
    return Verdict::Refused(QuoteScriptText(written) +
                            " is the root of a drive, which is never the target's folder; remove the line");
  }
  if (IsGuardedFromRemoval(expanded, guard)) {
    return Verdict::Refused(QuoteScriptText(written) +
                            " is a folder of Windows, of a user's profile or of every program: the program never "
                            "removes it, even when it is empty; name the target's own folder, such as "
                            "'%PROGRAM_FILES%\\lumenseek'");
  }
  return Verdict::Allowed();
}

}  // namespace tidemark
