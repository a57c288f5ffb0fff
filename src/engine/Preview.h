// What a run with the Start button's switches would touch on this machine
// now, found by the same walks the run makes, without changing anything.
#pragma once

#include <string>
#include <vector>

#include "engine/PathMacros.h"
#include "engine/StepSlotTable.h"
#include "script/ScriptIni.h"

namespace tidemark {

struct ProcessPreview {
  std::string imageName;
  int running = 0;       // instances now; a run ends every one of them
  bool refused = false;  // one of Windows' own processes: never ended
};

struct RunValuePreview {
  std::string valueName;
  bool currentUser = false;
  bool localMachine = false;
  bool refused = false;  // a start-up entry of Windows or of a common program: never deleted
};

struct KeyPreview {
  std::string root;  // "HKEY_CURRENT_USER" or "HKEY_LOCAL_MACHINE"
  std::string path;  // below the root
  bool exists = false;
  bool refused = false;  // protected, or not below its parent key: never deleted
  int subkeys = 0;       // in the whole tree below the key
  int values = 0;        // in the key and the whole tree below it
};

struct FilePreview {
  std::string path;
  bool readOnly = false;  // the run clears the attribute and deletes it
  bool inUse = false;     // held open by a program: deleted at the next restart
};

struct FolderPreview {
  std::string path;
  bool exists = false;
  bool wouldBeEmpty = false;  // and so would be removed (at the restart, when files in it are in use)
  bool refused = false;       // a folder the run never removes: a well-known one, or reached through a link
};

struct PreviewReport {
  std::vector<ProcessPreview> processes;
  std::vector<RunValuePreview> runValues;
  std::vector<KeyPreview> uninstallEntries;
  std::vector<KeyPreview> registryKeys;
  std::vector<FilePreview> files;
  std::vector<FolderPreview> folders;
  std::vector<std::string> skipped;  // entries whose folder macros could not be resolved, sections not looked at
};

// Looks at this machine through the run's own walks, refusals and system
// operations, with read rights only, for the sections of the switched-on
// slots (the Start button's by default).
PreviewReport BuildPreview(const ScriptIni& script, const FolderLookup& folders,
                           const StepSwitches& switches = StartButtonSwitches());

}  // namespace tidemark
