#include "engine/SectionWalk.h"

#include "script/ScriptSections.h"

namespace tidemark {

WalkResult WalkSection(const ScriptIni& script, std::string_view section, const FolderLookup& folders,
                       const EntryHandler& handle, const EntryHandler* unresolved) {
  const sections::SectionRule* rule = sections::FindSectionRule(section);
  const bool expands = rule != nullptr && rule->expandsMacros;

  WalkResult result;
  EntryList list;
  script.ReadSectionEntries(section, list);
  const EntryListIndex values(list);
  const std::size_t count = list.size();
  for (std::size_t index = 0; index < count; ++index) {
    const std::string name = EntryNameAt(list, index);
    const std::string value = values.ValueOf(name);
    if (value.empty()) break;

    std::string usable = value;
    if (expands && !ExpandPathMacros(value, usable, folders)) {
      ++result.skippedUnresolved;
      if (unresolved != nullptr && (*unresolved)(name, value) == WalkControl::Stop) break;
      continue;
    }
    ++result.handled;
    if (handle(name, usable) == WalkControl::Stop) break;
  }
  return result;
}

}  // namespace tidemark
