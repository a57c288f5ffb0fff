// The run's sequencing with a fake window: which steps run, in which order,
// with which pauses, and what the status list shows.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "engine/RemovalRun.h"
#include "support/ExpectedTexts.h"
#include "support/FakeFolders.h"

namespace tidemark {
namespace {

class FakeWindow : public RunHost {
 public:
  const ScriptIni& Script() const override {
    if (!hasScript) throw NoScriptError();
    return script;
  }
  const FolderLookup& Folders() const override { return folders; }
  void AddStatus(const std::string& line) override { lines.push_back(line); }
  void ClearStatus() override { lines.clear(); }
  void Delay(int milliseconds) override {
    events.push_back("pause " + std::to_string(milliseconds));
    // What a click handled during this pause does.
    if (auto handler = duringPause.find(++pauses); handler != duringPause.end()) handler->second();
  }
  bool WindowClosed() const override { return closed; }

  ScriptIni script{""};
  std::vector<LeftOver> left;
  StepSwitches checkedSwitches{};
  testing::FakeFolders folders;
  bool hasScript = true;
  bool readsScript = false;
  bool closed = false;
  int failingSlot = 0;
  int pauses = 0;
  std::map<int, std::function<void()>> duringPause;
  std::vector<std::string> lines;
  std::vector<std::string> events;
};

// The engine's side, which records what it is asked in the window's events.
class FakeSteps : public RunSteps {
 public:
  explicit FakeSteps(FakeWindow& window) : m_window(window) {}
  void RunStep(StepContext& context, int slot) const override {
    EXPECT_EQ(&context, &m_window);
    m_window.events.push_back("step " + std::to_string(slot));
    m_window.lines.push_back("heading " + std::to_string(slot));
    if (slot == m_window.failingSlot) throw std::runtime_error("step failed");
    if (m_window.readsScript) m_window.Script();
  }
  std::vector<LeftOver> WhatIsLeft(const StepContext&, const StepSwitches& switches) const override {
    m_window.events.push_back("check");
    m_window.checkedSwitches = switches;
    if (m_window.readsScript) m_window.Script();
    return m_window.left;
  }

 private:
  FakeWindow& m_window;
};

void RunRemoval(FakeWindow& window, const StepSwitches& switches) {
  tidemark::RunRemoval(window, switches, FakeSteps(window));
}

using Lines = std::vector<std::string>;
constexpr StepSwitches kAllOff{};

TEST(RemovalRun, StartButtonRunsItsFiveSlotsWithEightPauses) {
  FakeWindow window;
  window.lines = {"left over from an earlier run"};
  RunRemoval(window, kStartButtonSwitches);
  EXPECT_EQ(window.lines, (Lines{expected::kRunStarted, "heading 1", "heading 4", "heading 5", "heading 6", "heading 7",
                                 expected::kRunCompleted}));
  EXPECT_EQ(window.events, (Lines{"step 1", "pause 200", "pause 200", "pause 200", "step 4", "pause 200", "step 5",
                                  "pause 200", "step 6", "pause 200", "step 7", "pause 200", "pause 200", "check"}));
  EXPECT_EQ(window.checkedSwitches, kStartButtonSwitches);
}

TEST(RemovalRun, WhatIsLeftIsNamedAndTheLastLineTellsTheTruth) {
  // Mended fault: a run whose files stayed still said "removal complete".
  FakeWindow window;
  window.left = {{"C:\\Program Files (x86)\\lumenseek\\hook.dll", true}, {"C:\\Program Files (x86)\\lumenseek", true}};
  RunRemoval(window, kStartButtonSwitches);
  EXPECT_EQ(Lines(window.lines.end() - 3, window.lines.end()),
            (Lines{std::string(expected::kRemovedAtRestart) + "C:\\Program Files (x86)\\lumenseek\\hook.dll",
                   std::string(expected::kRemovedAtRestart) + "C:\\Program Files (x86)\\lumenseek",
                   expected::kRunCompletesAtRestart}));

  // One thing that no restart removes makes the removal incomplete.
  window.left.push_back({"HKCU\\SOFTWARE\\lumenseek", false});
  RunRemoval(window, kStartButtonSwitches);
  EXPECT_EQ(Lines(window.lines.end() - 2, window.lines.end()),
            (Lines{std::string(expected::kNotRemoved) + "HKCU\\SOFTWARE\\lumenseek", expected::kRunNotCompleted}));
  EXPECT_EQ(window.lines.size(), 10u);  // start, five headings, three names, last line
}

TEST(RemovalRun, ACheckThatRaisesIsNoCompleteRemoval) {
  FakeWindow window;
  window.duringPause[8] = [&window] { window.hasScript = false; };
  window.readsScript = true;
  RunRemoval(window, kStartButtonSwitches);
  EXPECT_EQ(window.lines.back(), expected::kRunNotCompleted);
}

TEST(RemovalRun, AllSwitchesOffStillPausesEightTimes) {
  FakeWindow window;
  RunRemoval(window, kAllOff);
  EXPECT_EQ(window.lines, (Lines{expected::kRunStarted, expected::kRunCompleted}));
  EXPECT_EQ(window.pauses, 8);
}

TEST(RemovalRun, NinthSlotRunsAfterTheLastPause) {
  FakeWindow window;
  StepSwitches onlyNinth{};
  onlyNinth[8] = true;
  RunRemoval(window, onlyNinth);
  EXPECT_EQ(Lines(window.events.end() - 2, window.events.end()), (Lines{"step 9", "check"}));
  EXPECT_EQ(window.pauses, 8);
}

TEST(RemovalRun, FailingStepEndsTheSequenceButNotTheRun) {
  FakeWindow window;
  window.failingSlot = 4;
  RunRemoval(window, kStartButtonSwitches);
  // A failure is never reported as a complete removal.
  EXPECT_EQ(window.lines, (Lines{expected::kRunStarted, "heading 1", "heading 4", expected::kRunNotCompleted}));
  EXPECT_EQ(window.pauses, 3);  // none after the failing slot
}

TEST(RemovalRun, WithoutAScriptTheFirstStepEndsTheRun) {
  FakeWindow window;
  window.hasScript = false;
  window.readsScript = true;
  RunRemoval(window, kStartButtonSwitches);
  EXPECT_EQ(window.lines, (Lines{expected::kRunStarted, "heading 1", expected::kRunNotCompleted}));
}

TEST(RemovalRun, SecondStartDuringAPauseRunsANestedRun) {
  FakeWindow window;
  // Start is clicked again in the pause after slot 4 (the fourth pause).
  window.duringPause[4] = [&window] { RunRemoval(window, kStartButtonSwitches); };
  RunRemoval(window, kStartButtonSwitches);
  // The nested run cleared the first run's lines, ran completely, and the
  // first run went on from slot 5.
  EXPECT_EQ(window.lines,
            (Lines{expected::kRunStarted, "heading 1", "heading 4", "heading 5", "heading 6", "heading 7",
                   expected::kRunCompleted, "heading 5", "heading 6", "heading 7", expected::kRunCompleted}));
  EXPECT_EQ(window.pauses, 16);
}

TEST(RemovalRun, ClosingTheWindowDuringAPauseEndsTheRunThere) {
  FakeWindow window;
  window.readsScript = true;
  window.duringPause[2] = [&window] {
    window.closed = true;
    window.hasScript = false;  // the close released the reader
  };
  RunRemoval(window, kStartButtonSwitches);
  EXPECT_EQ(window.events, (Lines{"step 1", "pause 200", "pause 200"}));
  EXPECT_EQ(window.lines, (Lines{expected::kRunStarted, "heading 1"}));
}

}  // namespace
}  // namespace tidemark
