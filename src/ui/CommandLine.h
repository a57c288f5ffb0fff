// The one command-line test of the program: the register and unregister
// switches, which end start-up at once. Pure logic, no <windows.h>.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tidemark {

// True for "/" or "-" followed by REGSERVER or UNREGSERVER, in any letter
// case, as the whole parameter.
bool IsRegistrationSwitch(std::string_view parameter);

// True when any of the parameters (the program's own path excluded) is a
// registration switch; every other parameter is ignored.
bool HasRegistrationSwitch(const std::vector<std::string>& parameters);

}  // namespace tidemark
