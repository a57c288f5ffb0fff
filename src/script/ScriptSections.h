// The sections of a removal script that the program reads, and whether their
// values name folders through path macros.
#pragma once

#include <string_view>

namespace tidemark::sections {

inline constexpr std::string_view kAppType = "APPTYPE";
// The [APPTYPE] entries that the main window shows.
inline constexpr char kAppTypeCategory[] = "category";
inline constexpr char kAppTypeTitle[] = "title";
inline constexpr std::string_view kProcess = "PROCESS";
inline constexpr std::string_view kService = "SERVICE";
inline constexpr std::string_view kBho = "BHO";
inline constexpr std::string_view kStartRun = "STARTRUN";
inline constexpr std::string_view kUninstall = "UNINSTALL";
inline constexpr std::string_view kCurrentUser = "HKEY_CURRENT_USER";
inline constexpr std::string_view kLocalMachine = "HKEY_LOCAL_MACHINE";
inline constexpr std::string_view kRegistryName = "REGISTRY_NAME";
inline constexpr std::string_view kFile = "FILE";
inline constexpr std::string_view kPath = "PATH";
inline constexpr std::string_view kRegistryRecovery = "REGISTRY_RECOVERY";

struct SectionRule {
  std::string_view name;
  bool walked;         // a removal step walks it, stopping at the first empty value
  bool expandsMacros;  // its values go through ExpandPathMacros before use
};

inline constexpr SectionRule kSectionRules[] = {
    {kAppType, false, false},    {kProcess, true, false},      {kService, true, true},
    {kBho, true, true},          {kStartRun, true, true},      {kUninstall, true, false},
    {kCurrentUser, true, false}, {kLocalMachine, true, false}, {kRegistryName, false, false},
    {kFile, true, true},         {kPath, true, true},          {kRegistryRecovery, true, false},
};

// The rule of a section, or nullptr for a section that the program never
// reads. Section names are matched without regard to case.
const SectionRule* FindSectionRule(std::string_view name);

}  // namespace tidemark::sections
