// The program's verdicts on the entries of [PROCESS] and [STARTRUN], and the
// quoting that every verdict's reason uses for script text. The run and the
// preview act on these verdicts; the checker prints their reasons as its
// errors.
#pragma once

#include <string>
#include <string_view>

#include "engine/Verdict.h"

namespace tidemark {

// Script text in single quotation marks, byte for byte (code page 949), cut
// on a character boundary when it is long: a 2047-byte value would bury the
// line that quotes it.
std::string QuoteScriptText(std::string_view text);

// The root name ("HKEY_LOCAL_MACHINE", "HKLM", ...) that the key path starts
// with, case ignored, or "" when it starts with none.
std::string_view LeadingRegistryRootName(std::string_view keyPath);

// Refused for one of Windows' own processes, which the run never ends.
Verdict ProcessVerdict(std::string_view imageName);

// Refused for a Run value of Windows or of a common driver or program, which
// the run never deletes or overwrites.
Verdict RunValueVerdict(std::string_view valueName);

}  // namespace tidemark
