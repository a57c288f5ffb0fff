// Each slot runs the routine of its row: the routine that posts the row's
// heading. On a script without sections no routine has anything to do.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/StepSlotTable.h"
#include "engine/StepSlots.h"
#include "support/ExpectedTexts.h"
#include "win/StepHarness.h"

namespace tidemark {
namespace {

using testing::StepHarness;
using Lines = std::vector<std::string>;

TEST(StepSlots, EachSlotRunsTheRoutineThatPostsItsHeading) {
  const std::vector<Lines> headings = {
      {expected::kKillProcesses},        {expected::kRemoveServices},         {expected::kRemoveBhos},
      {expected::kRemoveStartupEntries}, {expected::kRemoveUninstallEntries}, {expected::kRemoveRegistryKeys},
      {expected::kRemoveFiles},          {expected::kRestoreRegistry},        {}};
  ASSERT_EQ(headings.size(), static_cast<std::size_t>(kStepSlotCount));
  for (int slot = 1; slot <= kStepSlotCount; ++slot) {
    StepHarness harness("");
    RunStepOfSlot(harness, slot);
    EXPECT_EQ(harness.lines, headings[slot - 1]) << "slot " << slot;
  }
}

TEST(StepSlots, NumbersOutsideTheTableRunNothing) {
  for (int slot : {0, -1, kStepSlotCount + 1}) {
    StepHarness harness("");
    RunStepOfSlot(harness, slot);
    EXPECT_EQ(harness.lines, Lines{}) << slot;
  }
}

}  // namespace
}  // namespace tidemark
