// The status memo's text as lines: what appending a line inserts at the end
// of the text, and how the text reads back as lines. Pure logic, no
// <windows.h>.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tidemark {

// The text to insert at the end of a memo holding `current` so that `line`
// becomes its new last line: a memo keeps every line, the last one included,
// ended by CR LF; a text that the user left without a final break gets one
// first.
std::string MemoAppendText(std::string_view current, std::string_view line);

// The memo's lines: the text split at CR LF, without the empty line after
// the final break.
std::vector<std::string> MemoLines(std::string_view text);

}  // namespace tidemark
