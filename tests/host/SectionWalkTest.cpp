#include <gtest/gtest.h>

#include <map>

#include "engine/SectionWalk.h"
#include "script/ScriptSections.h"
#include "support/FakeFolders.h"
#include "support/TestFiles.h"

namespace tidemark {
namespace {

using testing::FakeFolders;
using Handled = std::vector<std::pair<std::string, std::string>>;

Handled Walk(const std::string& text, std::string_view section, const FakeFolders& folders = {}) {
  Handled handled;
  WalkSection(ScriptIni(text), section, folders, [&](const std::string& name, const std::string& value) {
    handled.emplace_back(name, value);
    return WalkControl::Continue;
  });
  return handled;
}

TEST(SectionWalk, StopsAtTheFirstEmptyValue) {
  EXPECT_EQ(Walk("[PROCESS]\r\nitem1=a.exe\r\nitem2=\r\nitem3=c.exe", "PROCESS"), (Handled{{"item1", "a.exe"}}));
  EXPECT_EQ(Walk("[PROCESS]\r\nitem1=\r\nitem2=b.exe", "PROCESS"), Handled{});
  EXPECT_EQ(Walk("[PROCESS]\r\nitem1=\"\"\r\nitem2=b.exe", "PROCESS"), Handled{});
}

TEST(SectionWalk, CommentedOutEntriesAreNeverHandledAndNeverEndTheWalk) {
  EXPECT_EQ(Walk("[FILE]\r\n;item1=%LOCAL_APPDATA%\\*.*\r\nitem2=%TEMP%\\a.tmp", "FILE"),
            (Handled{{"item2", "C:\\Users\\kim\\AppData\\Local\\Temp\\a.tmp"}}));
  EXPECT_EQ(Walk("[PROCESS]\r\n;item0=\r\nitem1=a.exe\r\n  ;item2=b.exe\r\nitem3=c.exe", "PROCESS"),
            (Handled{{"item1", "a.exe"}, {"item3", "c.exe"}}));
}

TEST(SectionWalk, RepeatedNameHandlesTheFirstValueTwice) {
  EXPECT_EQ(Walk("[PROCESS]\r\nitem1=first.exe\r\nITEM1=second.exe", "PROCESS"),
            (Handled{{"item1", "first.exe"}, {"ITEM1", "first.exe"}}));
}

TEST(SectionWalk, ExpandsMacrosOnlyWhereTheSectionSaysSo) {
  const std::string text =
      "[FILE]\r\nf=%TEMP%\\a.tmp\r\n[PROCESS]\r\np=%TEMP%\r\n[UNINSTALL]\r\nu=%TEMP%\r\n"
      "[STARTRUN]\r\nrun=%PROGRAM_FILES%\\x.exe";
  EXPECT_EQ(Walk(text, "FILE"), (Handled{{"f", "C:\\Users\\kim\\AppData\\Local\\Temp\\a.tmp"}}));
  EXPECT_EQ(Walk(text, "PROCESS"), (Handled{{"p", "%TEMP%"}}));
  EXPECT_EQ(Walk(text, "UNINSTALL"), (Handled{{"u", "%TEMP%"}}));
  EXPECT_EQ(Walk(text, "startrun"), (Handled{{"run", "C:\\Program Files\\x.exe"}}));
}

TEST(SectionWalk, EntryWhoseFolderCannotBeFoundIsSkipped) {
  FakeFolders folders;
  folders.folders.erase(38);
  const ScriptIni script("[FILE]\r\na=%PROGRAM_FILES%\\x\\*.*\r\nb=%TEMP%\\y.tmp");
  Handled handled;
  const WalkResult result = WalkSection(script, "FILE", folders, [&](const std::string& n, const std::string& v) {
    handled.emplace_back(n, v);
    return WalkControl::Continue;
  });
  EXPECT_EQ(handled, (Handled{{"b", "C:\\Users\\kim\\AppData\\Local\\Temp\\y.tmp"}}));
  EXPECT_EQ(result.handled, 1);
  EXPECT_EQ(result.skippedUnresolved, 1);
}

TEST(SectionWalk, UnresolvedEntriesGoToTheirOwnHandlerAsWritten) {
  FakeFolders folders;
  folders.folders.erase(38);
  const ScriptIni script("[STARTRUN]\r\na=%PROGRAM_FILES%\\x.exe\r\nb=%TEMP%\\y.exe\r\nc=");
  Handled resolved;
  Handled unresolved;
  const EntryHandler asWritten = [&](const std::string& n, const std::string& v) {
    unresolved.emplace_back(n, v);
    return WalkControl::Continue;
  };
  WalkSection(
      script, "STARTRUN", folders,
      [&](const std::string& n, const std::string& v) {
        resolved.emplace_back(n, v);
        return WalkControl::Continue;
      },
      &asWritten);
  EXPECT_EQ(unresolved, (Handled{{"a", "%PROGRAM_FILES%\\x.exe"}}));
  EXPECT_EQ(resolved, (Handled{{"b", "C:\\Users\\kim\\AppData\\Local\\Temp\\y.exe"}}));
}

TEST(SectionWalk, HandlerCanEndTheWalk) {
  int calls = 0;
  WalkSection(ScriptIni("[SERVICE]\r\na=x\r\nb=y"), "SERVICE", FakeFolders(),
              [&](const std::string&, const std::string&) {
                ++calls;
                return WalkControl::Stop;
              });
  EXPECT_EQ(calls, 1);
}

TEST(SectionWalk, EmbeddedScriptYieldsTheExpectedEntriesPerSection) {
  const std::string script = testing::DefaultScriptBytes();
  ASSERT_FALSE(script.empty());
  const std::map<std::string_view, std::size_t> expected{
      {sections::kProcess, 2},         {sections::kService, 0},   {sections::kBho, 0},
      {sections::kStartRun, 2},        {sections::kUninstall, 1}, {sections::kCurrentUser, 1},
      {sections::kLocalMachine, 1},    {sections::kFile, 1},      {sections::kPath, 1},
      {sections::kRegistryRecovery, 0}};
  for (const auto& [section, count] : expected) {
    EXPECT_EQ(Walk(script, section).size(), count) << section;
  }
  EXPECT_EQ(Walk(script, sections::kFile), (Handled{{"item1", "C:\\Program Files\\lumenseek\\*.*"}}));
  EXPECT_EQ(Walk(script, sections::kLocalMachine),
            (Handled{{"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache", "lumenseek"}}));
}

TEST(EmbeddedScript, IsCodePage949WithCrLfAndNoFinalBreak) {
  const std::string script = testing::DefaultScriptBytes();
  EXPECT_EQ(script.rfind("[APPTYPE]\r\ncategory=\xB0\xCB\xBB\xF6\xB5\xB5\xBF\xEC\xB9\xCC\r\n", 0), 0u);
  const std::string lastLine = "\r\n[PATH]\r\nitem1=%PROGRAM_FILES%\\lumenseek";
  EXPECT_EQ(script.substr(script.size() - lastLine.size()), lastLine);
  for (std::size_t i = 0; i < script.size(); ++i) {
    if (script[i] == '\n') {
      ASSERT_EQ(script[i - 1], '\r') << "bare LF at " << i;
    }
  }
  const ScriptIni reader(script);
  EXPECT_EQ(reader.LookupValue("APPTYPE", "title"), "lumenseek");
  EXPECT_TRUE(reader.IgnoredLines().empty());
}

}  // namespace
}  // namespace tidemark
