#include <gtest/gtest.h>

#include "engine/PathMacros.h"
#include "support/FakeFolders.h"

namespace tidemark {
namespace {

using testing::FakeFolders;

std::string Expand(const std::string& value, const FakeFolders& folders) {
  std::string result = "garbage";
  EXPECT_TRUE(ExpandPathMacros(value, result, folders)) << value;
  return result;
}

TEST(PathMacros, MacroIsReplacedAndTheRestCopied) {
  const FakeFolders folders;
  EXPECT_EQ(Expand("%PROGRAM_FILES%\\lumenseek", folders), "C:\\Program Files\\lumenseek");
  EXPECT_EQ(Expand("%PROGRAM_FILES%\\lumenseek\\*.*", folders), "C:\\Program Files\\lumenseek\\*.*");
  EXPECT_EQ(Expand("%TEMP%", folders), "C:\\Users\\kim\\AppData\\Local\\Temp");
  EXPECT_EQ(Expand("%DESKTOP%\\a.lnk", folders), "C:\\Users\\kim\\Desktop\\a.lnk");
}

TEST(PathMacros, EveryMacroMapsToItsOwnFolder) {
  const FakeFolders folders;
  for (const PathMacro& macro : kPathMacros) {
    const std::string expected = macro.csidl == kTempFolder ? *folders.temp : folders.folders.at(macro.csidl);
    EXPECT_EQ(Expand(std::string(macro.macro), folders), expected) << macro.macro;
  }
}

TEST(PathMacros, RepeatedAndMixedMacrosAreAllReplaced) {
  const FakeFolders folders;
  EXPECT_EQ(Expand("%TEMP%;%TEMP%", folders),
            "C:\\Users\\kim\\AppData\\Local\\Temp;C:\\Users\\kim\\AppData\\Local\\Temp");
  EXPECT_EQ(Expand("%APPDATA%|%TEMP%", folders),
            "C:\\Users\\kim\\AppData\\Roaming|C:\\Users\\kim\\AppData\\Local\\Temp");
}

TEST(PathMacros, SimilarMacrosDoNotContainEachOther) {
  const FakeFolders folders;
  EXPECT_EQ(Expand("%LOCAL_APPDATA%", folders), "C:\\Users\\kim\\AppData\\Local");
  EXPECT_EQ(Expand("%PROGRAM_FILESX86%\\x", folders), "C:\\Program Files (x86)\\x");
  EXPECT_EQ(Expand("%SYSTEMX86%", folders), "C:\\Windows\\SysWOW64");
}

TEST(PathMacros, TextWithoutMacrosIsUnchangedAndNothingIsLookedUp) {
  const FakeFolders folders;
  for (const char* value : {"", "lumenseek.exe", "C:\\Program Files\\x", "%temp%", "%TEMP", "50%"}) {
    EXPECT_EQ(Expand(value, folders), value);
  }
  EXPECT_TRUE(folders.lookups.empty());
}

TEST(PathMacros, OnlyTheMacrosPresentAreLookedUpInTableOrderEveryCall) {
  const FakeFolders folders;
  Expand("%TEMP%\\%PROGRAM_FILES%\\%TEMP%", folders);
  Expand("%TEMP%", folders);
  EXPECT_EQ(folders.lookups, (std::vector<int>{38, kTempFolder, kTempFolder}));
}

TEST(PathMacros, InsertedFolderIsSearchedOnlyByLaterMacros) {
  FakeFolders folders;
  folders.folders[26] = "X%APPDATA%%TEMP%";  // a folder name that looks like macros
  EXPECT_EQ(Expand("%APPDATA%", folders), "X%APPDATA%C:\\Users\\kim\\AppData\\Local\\Temp");
}

TEST(PathMacros, LeadByteBeforeAMacroDoesNotSwallowIt) {
  const FakeFolders folders;
  // '%' can never be a trail byte, so a stray lead byte before a macro is a
  // character of its own and the macro still starts on a boundary.
  EXPECT_EQ(Expand("\xB0%TEMP%", folders),
            "\xB0"
            "C:\\Users\\kim\\AppData\\Local\\Temp");
  EXPECT_EQ(Expand("\xB0\xCB\\%TEMP%", folders), "\xB0\xCB\\C:\\Users\\kim\\AppData\\Local\\Temp");
}

TEST(PathMacros, FailedLookupYieldsNoPathAtAll) {
  FakeFolders folders;
  folders.folders.erase(38);
  std::string result = "old";
  EXPECT_FALSE(ExpandPathMacros("%PROGRAM_FILES%\\lumenseek\\*.*", result, folders));
  EXPECT_EQ(result, "");
  folders.temp = std::nullopt;
  EXPECT_FALSE(ExpandPathMacros("%TEMP%", result, folders));
  folders.temp = "";  // an empty folder is a failure too, never the drive root
  EXPECT_FALSE(ExpandPathMacros("%TEMP%\\x", result, folders));
  EXPECT_TRUE(ExpandPathMacros("no macro", result, folders));
}

}  // namespace
}  // namespace tidemark
