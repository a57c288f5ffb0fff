// The one walk that every removal step makes over a section of the script.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "engine/PathMacros.h"
#include "script/ScriptIni.h"

namespace tidemark {

enum class WalkControl { Continue, Stop };

// Called once per handled entry with the entry's name and its value, the
// value with its folder macros expanded where the section calls for it.
using EntryHandler = std::function<WalkControl(const std::string& name, const std::string& value)>;

struct WalkResult {
  int handled = 0;            // entries passed to the handler
  int skippedUnresolved = 0;  // entries whose folder macros could not be expanded
};

// Lists the section once, then for each listed name looks its value up by
// that name (so a repeated name yields the earlier entry's value again),
// stops at the first empty value, and hands each value on. An entry whose
// macros name a folder that cannot be found is skipped, or handed to
// `unresolved` with its value as written when one is given. Either handler
// may end the walk early by returning Stop.
WalkResult WalkSection(const ScriptIni& script, std::string_view section, const FolderLookup& folders,
                       const EntryHandler& handle, const EntryHandler* unresolved = nullptr);

}  // namespace tidemark
