#include "ui/CommandLine.h"

#include <algorithm>

namespace tidemark {

namespace {

// ASCII only: a parameter with any other character cannot be a switch, and
// the locale's case rules must not make one.
bool EqualsIgnoringAsciiCase(std::string_view text, std::string_view upper) {
  if (text.size() != upper.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != upper[i]) return false;
  }
  return true;
}

}  // namespace

bool IsRegistrationSwitch(std::string_view parameter) {
  if (parameter.empty() || (parameter.front() != '/' && parameter.front() != '-')) return false;
  const std::string_view name = parameter.substr(1);
  return EqualsIgnoringAsciiCase(name, "REGSERVER") || EqualsIgnoringAsciiCase(name, "UNREGSERVER");
}

bool HasRegistrationSwitch(const std::vector<std::string>& parameters) {
  return std::any_of(parameters.begin(), parameters.end(),
                     [](const std::string& parameter) { return IsRegistrationSwitch(parameter); });
}

}  // namespace tidemark
