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

// True when the text is valid UTF-8 that holds at least one character of
// three or four bytes (all Hangul is). Code page 949 text forms such a
// sequence only by chance: it needs a lead byte 0xE0-0xF4 followed by two
// bytes 0x80-0xBF, the second of them a lead byte too; two-byte UTF-8
// sequences, on the other hand, are common in code page 949 Hangul (a lead
// 0xC2-0xC8 before a trail 0xA1-0xBF), so they alone prove nothing.
bool LooksLikeUtf8Text(std::string_view bytes);

}  // namespace tidemark::lint
