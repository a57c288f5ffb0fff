// The section that a misspelt section name was most likely meant to be.
#pragma once

#include <string_view>

namespace tidemark::lint {

// The canonical name of the section the program reads that the name is
// close to ("STARTRUNN", "Start_Run", "HKEY_LOCALMACHINE"), or "" when it is
// close to none. Close means: equal once case, "_", "-" and blanks are
// ignored, or at most two letters added, dropped or changed (one for the
// short names, so that "[FOO]" is not taken for "[BHO]"); "HKCU" and "HKLM"
// stand for the two registry sections. A name the program
// reads is close to nothing.
std::string_view MeantSection(std::string_view name);

}  // namespace tidemark::lint
