#include "engine/ProtectedProcesses.h"

#include "system/AsciiText.h"
#include "system/Cp949Text.h"

namespace tidemark {

bool IsProtectedProcessName(std::string_view imageName) {
  imageName = TrimCharacters(imageName, " \t");
  for (const std::string_view name : kProtectedProcessNames) {
    if (EqualsIgnoreCaseCp949(name, imageName)) return true;
  }
  return false;
}

}  // namespace tidemark
