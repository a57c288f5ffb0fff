#include "engine/EntryVerdicts.h"

#include "engine/ProtectedProcesses.h"
#include "engine/ProtectedRunValues.h"
#include "engine/RegistryRules.h"
#include "system/Cp949Text.h"

namespace tidemark {

namespace {

constexpr std::size_t kQuotedBytes = 80;

// The roots that a script's registry sections cannot name, with the usual
// short forms: a key path may start with them by mistake all the same.
constexpr std::string_view kOtherRootNames[] = {"HKEY_USERS", "HKEY_CURRENT_CONFIG", "HKU", "HKCC"};

}  // namespace

std::string QuoteScriptText(std::string_view text) {
  if (text.size() <= kQuotedBytes) return "'" + std::string(text) + "'";
  std::size_t end = 0;
  while (end < text.size()) {
    const std::size_t next = end + Cp949CharLength(text, end);
    if (next > kQuotedBytes) break;
    end = next;
  }
  return "'" + std::string(text.substr(0, end)) + "...'";
}

std::string_view LeadingRegistryRootName(std::string_view keyPath) {
  const std::string_view first = keyPath.substr(0, keyPath.find('\\'));
  for (const RegistryRootNames& names : kRegistryRootNames) {
    for (std::string_view root : {names.name, names.shortName}) {
      if (EqualsIgnoreCaseCp949(first, root)) return root;
    }
  }
  for (std::string_view root : kOtherRootNames) {
    if (EqualsIgnoreCaseCp949(first, root)) return root;
  }
  return {};
}

Verdict ProcessVerdict(std::string_view imageName) {
  if (!IsProtectedProcessName(imageName)) return Verdict::Allowed();
  return Verdict::Refused(QuoteScriptText(imageName) +
                          " is a process of Windows itself: the program never ends it (ending it would stop the "
                          "session or the system); remove the line");
}

Verdict RunValueVerdict(std::string_view valueName) {
  if (!IsWindowsRunValueName(valueName)) return Verdict::Allowed();
  return Verdict::Refused("Run value " + QuoteScriptText(valueName) +
                          " starts a part of Windows or of a common driver or program, not the target: the "
                          "program never deletes the start-up entry of that name under either root; remove the "
                          "line");
}

}  // namespace tidemark
