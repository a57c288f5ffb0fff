// tidemark-preview on the simulated installation: what it lists as present
// is exactly what a run of the real program then removes, and it changes
// nothing itself.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/ExpectedTexts.h"
#include "ui/ControlIds.h"
#include "ui/DesignTexts.h"
#include "ui/MemoText.h"
#include "win/EndToEndDriver.h"
#include "win/LumenseekInstallation.h"

namespace tidemark {
namespace {

using namespace testing;  // the driver and the installation

std::string WindowsPath(std::string path) {
  if (!path.empty() && path.front() == '/') {
    std::replace(path.begin(), path.end(), '/', '\\');
    path = "Z:" + path;
  }
  return path;
}

// Runs the preview on the script embedded in the program under test and
// returns what it printed.
std::string RunPreview(const ScratchFolder& scratch) {
  const std::string output = scratch / "preview.txt";
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  UniqueFile file(CreateFileA(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr));
  TestProcess preview("", "\"" + WindowsPath(TIDEMARK_PREVIEW) + "\" --exe \"" + TidemarkProgram() + "\"",
                      TestProcess::Options{file.get(), 0});
  if (!preview.Started()) return "cannot start the preview";
  if (!preview.WaitEnded()) return "the preview did not end";
  file.reset();
  return ReadFileBytes(output);
}

bool Holds(const std::string& text, const std::string& line) { return text.find(line) != std::string::npos; }

TEST(PreviewEndToEnd, ListsWhatTheRunThenRemoves) {
  ScratchFolder scratch;
  TempFolderRedirect redirect(scratch.Path());
  LumenseekInstallation installation;
  ASSERT_EQ(installation.TargetsPresent().size(), 11u);

  const std::string preview = RunPreview(scratch);
  EXPECT_TRUE(Holds(preview, "lumenseekagent.exe: 1 running")) << preview;
  EXPECT_TRUE(Holds(preview, "lumenseek.exe: 1 running")) << preview;
  EXPECT_TRUE(Holds(preview, "lumenseekagent: HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE")) << preview;
  EXPECT_TRUE(Holds(preview, "Uninstall\\lumenseek: 2 subkeys, 1 values")) << preview;
  EXPECT_TRUE(Holds(preview, "HKEY_CURRENT_USER\\SOFTWARE\\lumenseek: 2 subkeys, 1 values")) << preview;
  EXPECT_TRUE(Holds(preview, "ARPCache\\lumenseek: 1 subkeys, 1 values")) << preview;
  for (const char* file : {"\\readme.txt", "\\hidden.dat", "\\system.dat"}) {
    EXPECT_TRUE(Holds(preview, installation.folder + file)) << preview;
  }
  EXPECT_TRUE(Holds(preview, installation.folder + ": removed (empty by then)")) << preview;
  EXPECT_FALSE(Holds(preview, "absent")) << preview;
  EXPECT_FALSE(Holds(preview, "keep.txt")) << preview;   // the neighbour's file is not listed
  EXPECT_EQ(installation.TargetsPresent().size(), 11u);  // the preview changed nothing
  EXPECT_TRUE(installation.DecoysMissing().empty());

  TidemarkProcess program;
  HWND window = program.WaitForWindow(design::kMainWindowClass);
  ASSERT_NE(window, nullptr);
  HWND memo = ControlOf(window, ids::kMmStatus);
  Click(window, ids::kBtnStart);
  ASSERT_TRUE(WaitUntil([&] {
    const std::vector<std::string> lines = MemoLines(TextOf(memo));
    return !lines.empty() && lines.back() == expected::kRunCompleted;
  }));
  Click(window, ids::kBtnClose);
  EXPECT_EQ(program.WaitForExit(), 0);

  EXPECT_EQ(installation.TargetsPresent(), std::vector<std::string>{});
  EXPECT_EQ(installation.DecoysMissing(), std::vector<std::string>{});
}

}  // namespace
}  // namespace tidemark
