#include "engine/ProtectedRunValues.h"

#include "system/Cp949Text.h"

namespace tidemark {

bool IsWindowsRunValueName(std::string_view valueName) {
  for (const std::string_view name : kWindowsRunValueNames) {
    if (EqualsIgnoreCaseCp949(name, valueName)) return true;
  }
  return false;
}

}  // namespace tidemark
