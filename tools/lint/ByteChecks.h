// Checks of the script file's bytes. The program passes every byte as it is
// to the ANSI Windows functions, so text saved in another encoding names
// other processes, keys and files than its author saw in the editor.
#pragma once

#include <string_view>
#include <vector>

#include "lint/LintFinding.h"

namespace tidemark::lint {

// Byte-order marks, bytes that are not code page 949 text, and a zero byte
// that hides the rest of the file from the reader.
void CheckBytes(std::string_view bytes, std::vector<Finding>& findings);

// True when the file starts with a byte-order mark (which the reader takes as
// part of the first line).
bool StartsWithByteOrderMark(std::string_view bytes);

}  // namespace tidemark::lint
