// A demonstration of one removal, for the run command on a machine without
// a display: seeds the simulated lumenseek installation, drives the real
// Tidemark.exe through it as a user would, and prints what was there before,
// the status list and what is left. With a file path as argument it writes
// that file once the run is over and waits until it is deleted, so that the
// calling script can take a screenshot of the window in its final state.
#include <windows.h>

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "support/ExpectedTexts.h"
#include "ui/ControlIds.h"
#include "ui/DesignTexts.h"
#include "ui/MemoText.h"
#include "win/EndToEndDriver.h"
#include "win/LumenseekInstallation.h"
#include "win/TestFolders.h"

namespace {

using tidemark::testing::ControlOf;
using tidemark::testing::TextOf;
using tidemark::testing::WaitUntil;

void PrintList(const std::vector<std::string>& lines) {
  if (lines.empty()) std::printf("  (nothing)\n");
  for (const std::string& line : lines) std::printf("  %s\n", line.c_str());
}

bool MemoEndsWith(HWND memo, const std::string& line) {
  const std::vector<std::string> lines = tidemark::MemoLines(TextOf(memo));
  return !lines.empty() && lines.back() == line;
}

// The calling script waits for the flag before its screenshot and deletes it
// when done; the bound keeps a script that never answers from hanging us.
void OfferScreenshot(const std::string& flag) {
  tidemark::testing::WriteFileBytes(flag, "ready");
  std::fflush(stdout);
  if (!WaitUntil([&] { return !tidemark::testing::FileExists(flag); }, 20000)) {
    std::printf("(no screenshot taken: %s was not deleted)\n", flag.c_str());
    DeleteFileA(flag.c_str());
  }
}

int Run(int argc, char** argv) {
  tidemark::testing::LumenseekInstallation installation;
  std::printf("Before the removal:\n");
  PrintList(installation.TargetsPresent());

  tidemark::testing::TidemarkProcess program;
  if (!program.Started()) {
    std::printf("Cannot start %s\n", tidemark::testing::TidemarkProgram().c_str());
    return 1;
  }
  const HWND window = program.WaitForWindow(tidemark::design::kMainWindowClass);
  const HWND memo = window ? ControlOf(window, tidemark::ids::kMmStatus) : nullptr;
  if (!memo) {
    std::printf("Tidemark's main window did not appear.\n");
    return 1;
  }
  std::printf("Tidemark shows: %s / %s\n", TextOf(ControlOf(window, tidemark::ids::kLblCategory)).c_str(),
              TextOf(ControlOf(window, tidemark::ids::kLblName)).c_str());

  tidemark::testing::Click(window, tidemark::ids::kBtnStart);
  const bool completed = WaitUntil([&] { return MemoEndsWith(memo, tidemark::expected::kRunCompleted); });
  std::printf("Status list:\n");
  PrintList(tidemark::MemoLines(TextOf(memo)));
  if (!completed) std::printf("(the run did not complete within the bound)\n");

  const std::vector<std::string> left = installation.TargetsPresent();
  const bool decoysKept = installation.DecoysMissing().empty();
  std::printf("Left after the removal:\n");
  PrintList(left);
  std::printf("Decoys untouched: %s\n", decoysKept ? "yes" : "no");

  if (argc > 1) OfferScreenshot(argv[1]);

  tidemark::testing::Click(window, tidemark::ids::kBtnClose);
  const long exitCode = program.WaitForExit();
  std::printf("Tidemark exit code: %ld\n", exitCode);
  return completed && left.empty() && decoysKept && exitCode == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const int result = Run(argc, argv);
    std::fflush(stdout);
    return result;
  } catch (const std::exception& error) {
    std::printf("Demonstration failed: %s\n", error.what());
    return 1;
  }
}
