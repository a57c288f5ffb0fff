// Time from starting Tidemark.exe to its main window being visible, and one
// whole Start run seen from outside (click to completion line), under Wine.
// The window is polled every 20 ms, which bounds the resolution.
#include <cstdio>
#include <vector>

#include "BenchClock.h"
#include "BenchStats.h"
#include "support/ExpectedTexts.h"
#include "ui/ControlIds.h"
#include "ui/DesignTexts.h"
#include "ui/MemoText.h"
#include "win/EndToEndDriver.h"

using namespace tidemark::testing;

int main() {
  constexpr int kRounds = 3;
  std::vector<double> starts;
  std::vector<double> runs;
  for (int round = 1; round <= kRounds; ++round) {
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
    starts.push_back(visible);
    runs.push_back(run);
    std::printf("round %d: start to main window visible %7.1f ms, one Start run %7.1f ms\n", round, visible, run);
  }
  tidemark::bench::PrintSummary("start to main window visible", starts);
  tidemark::bench::PrintSummary("one Start run", runs);
  return 0;
}
