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

// The CSIDL numbers of the shell's folders that the macros name.
namespace csidl {
inline constexpr int kDesktop = 0;           // CSIDL_DESKTOP
inline constexpr int kPrograms = 2;          // CSIDL_PROGRAMS
inline constexpr int kStartMenu = 11;        // CSIDL_STARTMENU
inline constexpr int kAppData = 26;          // CSIDL_APPDATA
inline constexpr int kLocalAppData = 28;     // CSIDL_LOCAL_APPDATA
inline constexpr int kCommonAppData = 35;    // CSIDL_COMMON_APPDATA
inline constexpr int kWindows = 36;          // CSIDL_WINDOWS
inline constexpr int kSystem = 37;           // CSIDL_SYSTEM
inline constexpr int kProgramFiles = 38;     // CSIDL_PROGRAM_FILES
inline constexpr int kProfile = 40;          // CSIDL_PROFILE
inline constexpr int kSystemX86 = 41;        // CSIDL_SYSTEMX86
inline constexpr int kProgramFilesX86 = 42;  // CSIDL_PROGRAM_FILESX86
}  // namespace csidl

// In the order in which they are tested. No macro is part of another one.
inline constexpr PathMacro kPathMacros[] = {
    {"%APPDATA%", csidl::kAppData},
    {"%LOCAL_APPDATA%", csidl::kLocalAppData},
    {"%COMMON_APPDATA%", csidl::kCommonAppData},
    {"%STARTMENU%", csidl::kStartMenu},
    {"%PROGRAMS%", csidl::kPrograms},
    {"%PROGRAM_FILES%", csidl::kProgramFiles},
    {"%PROGRAM_FILESX86%", csidl::kProgramFilesX86},
    {"%WINDOWS%", csidl::kWindows},
    {"%SYSTEM%", csidl::kSystem},
    {"%SYSTEMX86%", csidl::kSystemX86},
    {"%PROFILE%", csidl::kProfile},
    {"%DESKTOP%", csidl::kDesktop},
    {"%TEMP%", kTempFolder},
};

// Replaces every occurrence of every macro in the value by its folder,
// looking up only the folders of the macros that occur. Returns false, with
// the result left empty, when a folder that the value needs cannot be found:
// the caller must then skip the value instead of using a path that would
// point somewhere else.
bool ExpandPathMacros(std::string_view value, std::string& result, const FolderLookup& folders);

}  // namespace tidemark
