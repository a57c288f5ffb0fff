#include "engine/StepSlotTable.h"

namespace tidemark {

void PostStepHeading(StepContext& context, std::string_view routine) {
  const std::string_view heading = HeadingOfStep(routine);
  if (!heading.empty()) context.AddStatus(std::string(heading.data(), heading.size()));
}

std::vector<std::string_view> SectionsOfTheStartButtonRun() { return SectionsOfARun(StartButtonSwitches()); }

std::vector<std::string_view> SectionsOfARun(const StepSwitches& switches) {
  std::vector<std::string_view> read;
  for (const StepSlot& slot : kStepSlots) {
    if (!switches[slot.number - 1]) continue;
    for (std::string_view section : slot.sections) {
      if (!section.empty()) read.push_back(section);
    }
  }
  return read;
}

bool IsReadOnlyByStepsTheStartButtonLeavesOff(std::string_view section) {
  bool readByAnOffStep = false;
  for (const StepSlot& slot : kStepSlots) {
    if (!slot.Reads(section)) continue;
    if (slot.startButton) return false;
    readByAnOffStep = true;
  }
  return readByAnOffStep;
}

}  // namespace tidemark
