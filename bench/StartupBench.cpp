// Time from starting Tidemark.exe to its main window being visible, and one
// whole Start run seen from outside (click to completion line), under Wine.
// The window is polled every 20 ms, which bounds the resolution.
#include <cstdio>

#include "BenchClock.h"
#include "support/ExpectedTexts.h"
#include "ui/ControlIds.h"
#include "ui/DesignTexts.h"
#include "ui/MemoText.h"
#include "win/EndToEndDriver.h"

using namespace tidemark::testing;

int main() {
  for (int round = 1; round <= 3; ++round) {
    const double start = tidemark::bench::WallMs();
    TidemarkProcess program;
    const HWND window = program.WaitForWindow(tidemark::design::kMainWindowClass);
    const double visible = tidemark::bench::WallMs() - start;
    if (window == nullptr) {
      std::printf("round %d: no main window\n", round);
      return 1;
    }
    const HWND memo = ControlOf(window, tidemark::ids::kMmStatus);
    const double runStart = tidemark::bench::WallMs();
    Click(window, tidemark::ids::kBtnStart);
    WaitUntil([&] {
      const std::vector<std::string> lines = tidemark::MemoLines(TextOf(memo));
      return !lines.empty() && lines.back() == tidemark::expected::kRunCompleted;
    });
    const double run = tidemark::bench::WallMs() - runStart;
    Click(window, tidemark::ids::kBtnClose);
    program.WaitForExit();
    std::printf("round %d: start to main window visible %7.1f ms, one Start run %7.1f ms\n", round, visible, run);
  }
  return 0;
}
