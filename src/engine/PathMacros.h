// Folder macros in script values ("%PROGRAM_FILES%\lumenseek") and their
// expansion to the folders of this machine and user.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tidemark {

// Where the folders come from: the shell on Windows, a fake in host tests.
// A lookup that fails yields no text at all rather than a guessed one.
class FolderLookup {
 public:
  virtual ~FolderLookup() = default;
  // The shell folder with this CSIDL number, without a trailing backslash.
  virtual std::optional<std::string> SpecialFolder(int csidl) const = 0;
  // The temporary folder, without its trailing backslash.
  virtual std::optional<std::string> TempFolder() const = 0;
};

struct PathMacro {
  std::string_view macro;
  int csidl;  // kTempFolder for the temporary folder, which has no CSIDL
};

inline constexpr int kTempFolder = -1;

// In the order in which they are tested. No macro is part of another one.
inline constexpr PathMacro kPathMacros[] = {
    {"%APPDATA%", 26},       {"%LOCAL_APPDATA%", 28}, {"%COMMON_APPDATA%", 35},   {"%STARTMENU%", 11},
    {"%PROGRAMS%", 2},       {"%PROGRAM_FILES%", 38}, {"%PROGRAM_FILESX86%", 42}, {"%WINDOWS%", 36},
    {"%SYSTEM%", 37},        {"%SYSTEMX86%", 41},     {"%PROFILE%", 40},          {"%DESKTOP%", 0},
    {"%TEMP%", kTempFolder},
};

// Replaces every occurrence of every macro in the value by its folder,
// looking up only the folders of the macros that occur. Returns false, with
// the result left empty, when a folder that the value needs cannot be found:
// the caller must then skip the value instead of using a path that would
// point somewhere else.
bool ExpandPathMacros(std::string_view value, std::string& result, const FolderLookup& folders);

}  // namespace tidemark
