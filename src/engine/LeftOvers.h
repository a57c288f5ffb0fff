// What a run meant to remove and is still there when its steps are done:
// the preview's look at the machine, taken again after the run.
#pragma once

#include <vector>

#include "engine/PathMacros.h"
#include "engine/RemovalRun.h"
#include "engine/StepSlotTable.h"
#include "script/ScriptIni.h"

namespace tidemark {

// Everything that the switched-on slots would remove now: named processes
// still running, Run values, Uninstall entries, named keys, files that the
// [FILE] masks match and [PATH] folders. Refused entries are no targets and
// are not listed. A file or folder scheduled for deletion at the restart is
// marked so.
std::vector<LeftOver> FindLeftOvers(const ScriptIni& script, const FolderLookup& folders, const StepSwitches& switches);

}  // namespace tidemark
