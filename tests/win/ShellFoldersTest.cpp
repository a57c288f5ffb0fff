#include <gtest/gtest.h>

#include "engine/ShellFolderLookup.h"
#include "system/Cp949Text.h"
#include "win/TestFolders.h"

namespace tidemark {
namespace {

std::string Variable(const char* name) {
  char buffer[4096] = {};
  GetEnvironmentVariableA(name, buffer, sizeof buffer);
  return buffer;
}

std::string Expand(const std::string& value) {
  std::string result;
  EXPECT_TRUE(ExpandPathMacros(value, result, ShellFolderLookup())) << value;
  return result;
}

TEST(ShellFolders, EveryMacroResolvesToAFolderWithoutTrailingBackslash) {
  for (const PathMacro& macro : kPathMacros) {
    const std::string folder = Expand(std::string(macro.macro));
    ASSERT_GE(folder.size(), 3u) << macro.macro;
    EXPECT_EQ(folder[1], ':') << macro.macro << " -> " << folder;
    EXPECT_NE(folder.back(), '\\') << macro.macro << " -> " << folder;
  }
}

TEST(ShellFolders, FoldersAgreeWithTheEnvironmentOfTheSameUser) {
  // The environment is an independent source for some of the shell folders.
  EXPECT_TRUE(EqualsIgnoreCaseCp949(Expand("%APPDATA%"), Variable("APPDATA")));
  EXPECT_TRUE(EqualsIgnoreCaseCp949(Expand("%PROGRAM_FILES%"), Variable("ProgramFiles")));
  EXPECT_TRUE(EqualsIgnoreCaseCp949(Expand("%WINDOWS%"), Variable("SystemRoot")));
  EXPECT_TRUE(EqualsIgnoreCaseCp949(Expand("%PROFILE%"), Variable("USERPROFILE")));
  EXPECT_EQ(Expand("%PROGRAM_FILES%\\lumenseek\\*.*"), *GetSpecialFolder(38) + "\\lumenseek\\*.*");
}

TEST(ShellFolders, TempFolderFollowsGetTempPathWithoutItsBackslash) {
  testing::ScratchFolder scratch;
  testing::TempFolderRedirect redirect(scratch.Path());
  EXPECT_EQ(GetTempFolder(), scratch.Path());
  EXPECT_EQ(Expand("%TEMP%\\win.dat"), scratch.Path() + "\\win.dat");
  EXPECT_EQ(Expand("%temp%"), "%temp%");
}

TEST(ShellFolders, UnknownFolderNumberIsAFailedLookup) {
  EXPECT_EQ(GetSpecialFolder(0x7777), std::nullopt);
  std::string result = "x";
  EXPECT_TRUE(ExpandPathMacros("no macros", result, ShellFolderLookup()));
  EXPECT_EQ(result, "no macros");
}

}  // namespace
}  // namespace tidemark

namespace tidemark {
namespace {

TEST(CodePage, TheTestsRunWithTheKoreanAnsiCodePage) {
  // Script bytes reach the ANSI functions unconverted; the tests must see
  // them as a Korean system does.
  EXPECT_EQ(GetACP(), 949u);
}

}  // namespace
}  // namespace tidemark
