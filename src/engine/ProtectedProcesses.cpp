#include "engine/ProtectedProcesses.h"

#include "script/Cp949Text.h"

namespace tidemark {

bool IsProtectedProcessName(std::string_view imageName) {
  while (!imageName.empty() && (imageName.front() == ' ' || imageName.front() == '\t')) imageName.remove_prefix(1);
  while (!imageName.empty() && (imageName.back() == ' ' || imageName.back() == '\t')) imageName.remove_suffix(1);
  for (const std::string_view name : kProtectedProcessNames) {
    if (EqualsIgnoreCaseCp949(name, imageName)) return true;
  }
  return false;
}

}  // namespace tidemark
