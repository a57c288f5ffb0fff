#include "ui/CommandLine.h"

#include <algorithm>

#include "system/Cp949Text.h"

namespace tidemark {

bool IsRegistrationSwitch(std::string_view parameter) {
  if (parameter.empty() || (parameter.front() != '/' && parameter.front() != '-')) return false;
  const std::string_view name = parameter.substr(1);
  // ASCII letters only: the locale's case rules must not make a switch of
  // another character.
  return EqualsIgnoreCaseCp949(name, "REGSERVER") || EqualsIgnoreCaseCp949(name, "UNREGSERVER");
}

bool HasRegistrationSwitch(const std::vector<std::string>& parameters) {
  return std::any_of(parameters.begin(), parameters.end(),
                     [](const std::string& parameter) { return IsRegistrationSwitch(parameter); });
}

}  // namespace tidemark
