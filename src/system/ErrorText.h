// The system's own text for a Windows error code.
#pragma once

#include <windows.h>

#include <string>

namespace tidemark {

// FormatMessageA's text for the code in the user's language, without the line
// break and the full stop that end it (the error report adds its own stop).
std::string SystemErrorText(DWORD code);

}  // namespace tidemark
