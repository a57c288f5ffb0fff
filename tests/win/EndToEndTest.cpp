// The real Tidemark.exe against a simulated lumenseek installation, driven
// from outside through its windows as a user would drive it.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/ExpectedTexts.h"
#include "system/UniqueHandle.h"
#include "ui/ControlIds.h"
#include "ui/DesignTexts.h"
#include "ui/MemoText.h"
#include "win/EndToEndDriver.h"
#include "win/LumenseekInstallation.h"
#include "win/PendingOperations.h"
#include "win/TestFolders.h"

namespace tidemark {
namespace {

using testing::ControlOf;
using testing::FileExists;
using testing::LumenseekInstallation;
using testing::PressKeys;
using testing::RemoveTree;
using testing::ScratchFolder;
using testing::TempFolderRedirect;
using testing::TextOf;
using testing::TidemarkProcess;
using testing::WaitUntil;

const std::vector<std::string> kFullRun = {expected::kRunStarted,           expected::kKillProcesses,
                                           expected::kRemoveStartupEntries, expected::kRemoveUninstallEntries,
                                           expected::kRemoveRegistryKeys,   expected::kRemoveFiles,
                                           expected::kRunCompleted};

// One started program with its own temporary folder.
class EndToEnd : public ::testing::Test {
 protected:
  void StartProgram(const std::string& parameters = "") {
    program = std::make_unique<TidemarkProcess>(parameters);
    ASSERT_TRUE(program->Started()) << testing::TidemarkProgram();
  }
  void FindMainWindow() {
    mainWindow = program->WaitForWindow(design::kMainWindowClass);
    ASSERT_NE(mainWindow, nullptr) << "no main window";
    memo = ControlOf(mainWindow, ids::kMmStatus);
    ASSERT_NE(memo, nullptr);
  }
  std::vector<std::string> MemoLines() const { return tidemark::MemoLines(TextOf(memo)); }
  bool MemoEndsWith(const std::string& line) const {
    const std::vector<std::string> lines = MemoLines();
    return !lines.empty() && lines.back() == line;
  }
  bool MemoHolds(const std::string& line) const {
    const std::vector<std::string> lines = MemoLines();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }
  // Exit, then the process ends with code 0 and leaves no script behind.
  void ExitAndCheckCleanUp() {
    testing::Click(mainWindow, ids::kBtnClose);
    EXPECT_EQ(program->WaitForExit(), 0);
    EXPECT_FALSE(FileExists(scriptPath));
  }

  ScratchFolder temp;
  TempFolderRedirect redirect{temp.Path()};
  std::string scriptPath = temp / "win.dat";
  std::unique_ptr<TidemarkProcess> program;
  HWND mainWindow = nullptr;
  HWND memo = nullptr;
};

TEST_F(EndToEnd, StartRemovesTheInstallationAndNothingElse) {
  LumenseekInstallation installation;
  ASSERT_EQ(installation.TargetsPresent().size(), 11u);
  ASSERT_TRUE(installation.DecoysMissing().empty());

  StartProgram();
  FindMainWindow();
  EXPECT_EQ(TextOf(mainWindow), "Tidemark");
  EXPECT_EQ(TextOf(ControlOf(mainWindow, ids::kLblCategory)), "검색도우미");
  EXPECT_EQ(TextOf(ControlOf(mainWindow, ids::kLblName)), "lumenseek");
  EXPECT_TRUE(FileExists(scriptPath));
  EXPECT_TRUE(MemoLines().empty());

  testing::Click(mainWindow, ids::kBtnStart);
  ASSERT_TRUE(WaitUntil([&] { return MemoEndsWith(expected::kRunCompleted); })) << TextOf(memo);
  EXPECT_EQ(MemoLines(), kFullRun);
  EXPECT_EQ(installation.TargetsPresent(), std::vector<std::string>{});
  EXPECT_EQ(installation.DecoysMissing(), std::vector<std::string>{});

  ExitAndCheckCleanUp();
}

TEST_F(EndToEnd, WithoutTheTargetTheRunEndsAsComplete) {
  StartProgram();
  FindMainWindow();
  testing::Click(mainWindow, ids::kBtnStart);
  ASSERT_TRUE(WaitUntil([&] { return MemoEndsWith(expected::kRunCompleted); })) << TextOf(memo);
  EXPECT_EQ(MemoLines(), kFullRun);
  ExitAndCheckCleanUp();
}

TEST_F(EndToEnd, AFileHeldByAnotherProgramIsNamedAndGoesAtTheRestart) {
  // Mended fault: a file that stayed (and kept its folder) was followed by
  // "removal complete".
  LumenseekInstallation installation;
  const testing::PendingOperationsOfTheCase pending(
      std::wstring(installation.folder.begin(), installation.folder.end()));
  const std::string held = installation.folder + "\\readme.txt";
  // This test program is not named by the script; it holds the file without
  // sharing its deletion, as a browser holds a DLL it loaded.
  const HANDLE holder = CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);

  StartProgram();
  FindMainWindow();
  testing::Click(mainWindow, ids::kBtnStart);
  const bool ended = WaitUntil([&] { return MemoEndsWith(expected::kRunCompletesAtRestart); });
  CloseHandle(holder);
  ASSERT_TRUE(ended) << TextOf(memo);
  std::vector<std::string> lines = kFullRun;
  lines.back() = std::string(expected::kRemovedAtRestart) + held;
  lines.push_back(std::string(expected::kRemovedAtRestart) + installation.folder);
  lines.push_back(expected::kRunCompletesAtRestart);
  EXPECT_EQ(MemoLines(), lines);
  EXPECT_EQ(installation.TargetsPresent(), (std::vector<std::string>{installation.folder}));
  EXPECT_TRUE(FileExists(held));
  EXPECT_EQ(installation.DecoysMissing(), std::vector<std::string>{});
  ExitAndCheckCleanUp();
}

TEST_F(EndToEnd, RegisterSwitchesEndAtOnceWithoutWritingTheScript) {
  for (const char* parameter : {"/RegServer", "-UNREGSERVER", "/unregserver"}) {
    StartProgram(std::string("ignored ") + parameter);
    EXPECT_EQ(program->WaitForExit(), 0) << parameter;
    EXPECT_TRUE(program->Windows(design::kMainWindowClass, false).empty());
    EXPECT_FALSE(FileExists(scriptPath)) << parameter;
  }
}

TEST_F(EndToEnd, UnknownParametersAreIgnored) {
  StartProgram("/regserverx --help");
  FindMainWindow();
  EXPECT_TRUE(FileExists(scriptPath));
  ExitAndCheckCleanUp();
}

TEST_F(EndToEnd, EscOnAButtonClosesTheWindowLikeExit) {
  StartProgram();
  FindMainWindow();
  testing::PostKey(ControlOf(mainWindow, ids::kBtnAbout), VK_ESCAPE);
  EXPECT_EQ(program->WaitForExit(), 0);
  EXPECT_FALSE(FileExists(scriptPath));
}

TEST_F(EndToEnd, TheMemoKeepsEscAndEnterForItself) {
  StartProgram();
  FindMainWindow();
  testing::PostKey(memo, VK_ESCAPE);
  PostMessageA(memo, WM_CHAR, 'x', 1);
  // Messages of one queue come in order: once the x shows, Esc was handled.
  ASSERT_TRUE(WaitUntil([&] { return TextOf(memo) == "x"; })) << TextOf(memo);
  EXPECT_TRUE(IsWindowVisible(mainWindow));
  ExitAndCheckCleanUp();
}

TEST_F(EndToEnd, AboutIsModalIgnoresEnterAndEscAndClosesByThePicture) {
  StartProgram();
  FindMainWindow();
  const HWND hiddenAbout = program->WaitForWindow(design::kAboutWindowClass, false);
  ASSERT_NE(hiddenAbout, nullptr) << "the About window is created at start-up";
  EXPECT_FALSE(IsWindowVisible(hiddenAbout));

  for (int showing = 0; showing < 2; ++showing) {
    testing::Click(mainWindow, ids::kBtnAbout);
    const HWND about = program->WaitForWindow(design::kAboutWindowClass);
    ASSERT_EQ(about, hiddenAbout) << "the same window every time";
    EXPECT_FALSE(IsWindowEnabled(mainWindow));
    EXPECT_EQ(TextOf(ControlOf(about, ids::kAboutLabel2)), "Orvane Kestrelkit");
    EXPECT_EQ(TextOf(ControlOf(about, ids::kAboutLabel1)), expected::kHomePageUrl);

    testing::PostKey(about, VK_ESCAPE);
    testing::PostKey(about, VK_RETURN);
    PostMessageA(memo, WM_CHAR, '0' + showing, 1);
    ASSERT_TRUE(WaitUntil([&] { return !TextOf(memo).empty() && TextOf(memo).back() == '0' + showing; }));
    EXPECT_TRUE(IsWindowVisible(about)) << "Enter and Esc must not close it";

    PostMessageA(about, WM_COMMAND, MAKEWPARAM(ids::kAboutImage1, STN_CLICKED),
                 reinterpret_cast<LPARAM>(ControlOf(about, ids::kAboutImage1)));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(about); }));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(mainWindow) != FALSE; }));
  }
  ExitAndCheckCleanUp();
}

TEST_F(EndToEnd, AboutStartsCentredOnTheMainWindow) {
  StartProgram();
  FindMainWindow();
  RECT mainBounds = {};
  GetWindowRect(mainWindow, &mainBounds);
  EXPECT_EQ(mainBounds.left, 392);
  EXPECT_EQ(mainBounds.top, 134);
  RECT client = {};
  GetClientRect(mainWindow, &client);
  EXPECT_EQ(client.right, 491);
  EXPECT_EQ(client.bottom, 410);

  testing::Click(mainWindow, ids::kBtnAbout);
  const HWND about = program->WaitForWindow(design::kAboutWindowClass);
  ASSERT_NE(about, nullptr);
  RECT aboutBounds = {};
  GetWindowRect(about, &aboutBounds);
  GetClientRect(about, &client);
  EXPECT_EQ(client.right, 225);
  EXPECT_EQ(client.bottom, 196);
  const int mainWidth = mainBounds.right - mainBounds.left;
  const int aboutWidth = aboutBounds.right - aboutBounds.left;
  const int mainHeight = mainBounds.bottom - mainBounds.top;
  const int aboutHeight = aboutBounds.bottom - aboutBounds.top;
  EXPECT_EQ(aboutBounds.left, mainBounds.left + (mainWidth - aboutWidth) / 2);
  EXPECT_EQ(aboutBounds.top, mainBounds.top + (mainHeight - aboutHeight) / 2);
  PostMessageA(about, WM_CLOSE, 0, 0);  // the close box
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(about); }));
  ExitAndCheckCleanUp();
}

TEST_F(EndToEnd, ASecondStartDuringAPauseRunsNestedThenTheFirstGoesOn) {
  StartProgram();
  FindMainWindow();
  testing::Click(mainWindow, ids::kBtnStart);
  ASSERT_TRUE(WaitUntil([&] { return MemoHolds(expected::kKillProcesses); })) << TextOf(memo);
  testing::Click(mainWindow, ids::kBtnStart);
  ASSERT_TRUE(WaitUntil([&] {
    const std::vector<std::string> lines = MemoLines();
    return std::count(lines.begin(), lines.end(), std::string(expected::kRunCompleted)) == 2;
  })) << TextOf(memo);

  // The nested run's full list, then the rest of the first run's headings
  // from wherever it was paused, and its own completion line.
  const std::vector<std::string> lines = MemoLines();
  ASSERT_GE(lines.size(), kFullRun.size() + 1);
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 7), kFullRun);
  const std::vector<std::string> rest(lines.begin() + 7, lines.end() - 1);
  const std::vector<std::string> headings(kFullRun.begin() + 2, kFullRun.end() - 1);
  ASSERT_LE(rest.size(), headings.size());
  EXPECT_TRUE(std::equal(rest.begin(), rest.end(), headings.end() - static_cast<long>(rest.size())));
  ExitAndCheckCleanUp();
}

TEST_F(EndToEnd, AboutDuringAPauseHoldsTheRunUntilItCloses) {
  StartProgram();
  FindMainWindow();
  testing::Click(mainWindow, ids::kBtnStart);
  ASSERT_TRUE(WaitUntil([&] { return MemoHolds(expected::kKillProcesses); }));
  testing::Click(mainWindow, ids::kBtnAbout);
  const HWND about = program->WaitForWindow(design::kAboutWindowClass);
  ASSERT_NE(about, nullptr);
  EXPECT_FALSE(MemoEndsWith(expected::kRunCompleted));
  PostMessageA(about, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return MemoEndsWith(expected::kRunCompleted); })) << TextOf(memo);
  EXPECT_EQ(MemoLines(), kFullRun);
  ExitAndCheckCleanUp();
}

TEST_F(EndToEnd, ClosingDuringARunEndsTheProgramCleanly) {
  StartProgram();
  FindMainWindow();
  testing::Click(mainWindow, ids::kBtnStart);
  ASSERT_TRUE(WaitUntil([&] { return MemoHolds(expected::kKillProcesses); }));
  PostMessageA(mainWindow, WM_CLOSE, 0, 0);
  EXPECT_EQ(program->WaitForExit(), 0);
  EXPECT_FALSE(FileExists(scriptPath));
}

TEST_F(EndToEnd, FailedStartReportsTheErrorAndStillOpensTheWindow) {
  ASSERT_TRUE(CreateDirectoryA(scriptPath.c_str(), nullptr));  // a folder squats on win.dat
  StartProgram();
  const HWND report = program->WaitForWindow("#32770");
  ASSERT_NE(report, nullptr) << "no error report";
  EXPECT_EQ(TextOf(report), "Tidemark");  // the application title
  const std::string message = TextOf(GetDlgItem(report, 0xFFFF));
  const std::string prefix = "Cannot create file \"" + scriptPath + "\". ";
  EXPECT_EQ(message.rfind(prefix, 0), 0u) << message;
  EXPECT_EQ(message.back(), '.');
  PostMessageA(report, WM_COMMAND, IDOK, 0);

  FindMainWindow();
  EXPECT_EQ(TextOf(ControlOf(mainWindow, ids::kLblCategory)), expected::kCategoryCaption);
  EXPECT_EQ(TextOf(ControlOf(mainWindow, ids::kLblName)), expected::kNameCaption);
  testing::Click(mainWindow, ids::kBtnStart);
  // Without a script nothing was removed, and the last line says so.
  const std::string notCompleted = expected::kRunNotCompleted;
  ASSERT_TRUE(WaitUntil([&] { return MemoEndsWith(notCompleted); })) << TextOf(memo);
  EXPECT_EQ(MemoLines(), (std::vector<std::string>{expected::kRunStarted, expected::kKillProcesses, notCompleted}));
  testing::Click(mainWindow, ids::kBtnClose);
  EXPECT_EQ(program->WaitForExit(), 0);
  EXPECT_NE(GetFileAttributesA(scriptPath.c_str()), INVALID_FILE_ATTRIBUTES);  // the squatting folder stays
}

void TypeUnderCtrlAlt(const std::string& letters) {
  std::vector<std::pair<WORD, bool>> keys = {{VK_CONTROL, true}, {VK_MENU, true}};
  for (const char letter : letters) {
    keys.emplace_back(static_cast<WORD>(letter), true);
    keys.emplace_back(static_cast<WORD>(letter), false);
  }
  keys.emplace_back(VK_MENU, false);
  keys.emplace_back(VK_CONTROL, false);
  PressKeys(keys);
}

TEST_F(EndToEnd, KeySequenceInTheAboutWindowShowsTheCredit) {
  StartProgram();
  FindMainWindow();
  testing::Click(mainWindow, ids::kBtnAbout);
  const HWND about = program->WaitForWindow(design::kAboutWindowClass);
  ASSERT_NE(about, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == about; })) << "the About window is not in front";

  TypeUnderCtrlAlt("TTRQNP");                                         // the second T breaks the sequence
  PressKeys({{'T', true}, {'T', false}, {'R', true}, {'R', false}});  // without modifiers: nothing
  TypeUnderCtrlAlt("TRQNP");
  const HWND credit = program->WaitForWindow("#32770");
  ASSERT_NE(credit, nullptr) << "no credit box";
  EXPECT_EQ(TextOf(credit), "Tidemark");
  EXPECT_EQ(TextOf(GetDlgItem(credit, 0xFFFF)), expected::kCreditMessage);
  EXPECT_EQ(TextOf(GetDlgItem(credit, IDOK)), expected::kCreditButton);  // not the Korean system's "확인"
  EXPECT_FALSE(testing::MessageBoxShowsIcon(credit));
  // Modal over the About window, centred on the screen.
  EXPECT_EQ(GetWindow(credit, GW_OWNER), about);
  EXPECT_FALSE(IsWindowEnabled(about));
  RECT area = {};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  const POINT centre = testing::CentreOf(credit);
  EXPECT_LE(std::abs(centre.x - (area.left + area.right) / 2), 1);
  EXPECT_LE(std::abs(centre.y - (area.top + area.bottom) / 2), 1);
  PostMessageA(credit, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitUntil([&] { return program->Windows("#32770", true).empty(); }));
  EXPECT_TRUE(IsWindowVisible(about)) << "closing the credit box leaves the About window open";
  PostMessageA(about, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(about); }));
  ExitAndCheckCleanUp();
}

}  // namespace
}  // namespace tidemark
