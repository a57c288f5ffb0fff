// The slot table against the run's fixed sequence, and against the section
// rules that the reader and the checker share.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/RemovalRun.h"
#include "engine/StepSlotTable.h"
#include "script/ScriptSections.h"
#include "support/ExpectedTexts.h"

namespace tidemark {
namespace {

namespace sec = sections;
using Names = std::vector<std::string_view>;

TEST(StepSlotTable, NineSlotsWithTheirRoutinesAndHeadingsInOrder) {
  Names routines;
  std::vector<std::string> headings;
  for (const StepSlot& slot : kStepSlots) {
    routines.push_back(slot.routine);
    headings.emplace_back(slot.heading);
  }
  EXPECT_EQ(routines,
            (Names{"KillProcesses", "RemoveServices", "RemoveBHOs", "RemoveStartupEntries", "RemoveUninstallEntries",
                   "RemoveRegistryKeys", "RemoveFilesAndFolders", "RestoreRegistry", "RestoreFolders"}));
  EXPECT_EQ(headings, (std::vector<std::string>{expected::kKillProcesses, expected::kRemoveServices,
                                                expected::kRemoveBhos, expected::kRemoveStartupEntries,
                                                expected::kRemoveUninstallEntries, expected::kRemoveRegistryKeys,
                                                expected::kRemoveFiles, expected::kRestoreRegistry, ""}));
}

TEST(StepSlotTable, StartButtonSwitchesOnSlotsOneAndFourToSeven) {
  const StepSwitches expected = {true, false, false, true, true, true, true, false, false};
  EXPECT_EQ(kStartButtonSwitches, expected);
}

TEST(StepSlotTable, StartButtonRunReadsItsSectionsInSlotOrder) {
  EXPECT_EQ(SectionsOfTheStartButtonRun(), (Names{sec::kProcess, sec::kStartRun, sec::kUninstall, sec::kCurrentUser,
                                                  sec::kLocalMachine, sec::kFile, sec::kPath}));
}

TEST(StepSlotTable, SectionsReadOnlyByStepsTheStartButtonLeavesOff) {
  for (std::string_view section : {sec::kService, sec::kBho, sec::kRegistryRecovery}) {
    EXPECT_TRUE(IsReadOnlyByStepsTheStartButtonLeavesOff(section)) << section;
  }
  // Read by the Start button's run, or by no step at all.
  for (std::string_view section :
       {sec::kProcess, sec::kStartRun, sec::kUninstall, sec::kCurrentUser, sec::kLocalMachine, sec::kFile, sec::kPath,
        sec::kAppType, sec::kRegistryName, std::string_view("NOSUCHSECTION"), std::string_view()}) {
    EXPECT_FALSE(IsReadOnlyByStepsTheStartButtonLeavesOff(section)) << section;
  }
}

TEST(StepSlotTable, EveryWalkedSectionIsReadByExactlyOneStep) {
  for (const sec::SectionRule& rule : sec::kSectionRules) {
    int readers = 0;
    for (const StepSlot& slot : kStepSlots) readers += slot.Reads(rule.name) ? 1 : 0;
    EXPECT_EQ(readers, rule.walked ? 1 : 0) << rule.name;
  }
  for (const StepSlot& slot : kStepSlots) {
    for (std::string_view section : slot.sections) {
      if (section.empty()) continue;
      const sec::SectionRule* rule = sec::FindSectionRule(section);
      ASSERT_NE(rule, nullptr) << section;
      EXPECT_TRUE(rule->walked) << section;
    }
  }
}

}  // namespace
}  // namespace tidemark
