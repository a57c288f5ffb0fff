// Each slot runs the routine of its row: the routine that posts the row's
// heading. On a script without sections no routine has anything to do.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/StepSlotTable.h"
#include "engine/StepSlots.h"
#include "win/StepHarness.h"

namespace tidemark {
namespace {

using testing::StepHarness;
using Lines = std::vector<std::string>;

TEST(StepSlots, EachSlotRunsTheRoutineThatPostsItsRowsHeading) {
  for (const StepSlot& slot : kStepSlots) {
    StepHarness harness("");
    RunStepOfSlot(harness, slot.number);
    const Lines expected = slot.heading.empty() ? Lines{} : Lines{std::string(slot.heading)};
    EXPECT_EQ(harness.lines, expected) << "slot " << slot.number << ", " << slot.routine;
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
