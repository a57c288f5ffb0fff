#include "script/ScriptSections.h"

#include "system/Cp949Text.h"

namespace tidemark::sections {

const SectionRule* FindSectionRule(std::string_view name) {
  for (const SectionRule& rule : kSectionRules) {
    if (EqualsIgnoreCaseCp949(rule.name, name)) return &rule;
  }
  return nullptr;
}

}  // namespace tidemark::sections
