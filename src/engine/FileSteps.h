// The step that deletes the target's files and then its empty folders.
#pragma once

#include "engine/StepContext.h"

namespace tidemark {

// [FILE]: deletes the files each folder-and-mask value matches; then [PATH]:
// removes each folder if it is empty by then. The [PATH] walk always runs.
void RemoveFilesAndFolders(StepContext& context);

}  // namespace tidemark
