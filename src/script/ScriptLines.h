// Splitting script text into lines and joining it back with CR LF.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tidemark {

// Splits text into lines: a line ends at CR LF, at a CR alone or at an LF
// alone; a zero byte ends the text; a line break at the very end adds no empty
// line, and text after the last line break forms the last line.
std::vector<std::string> SplitScriptLines(std::string_view text);

// Every line followed by CR LF, the last one included.
std::string JoinLinesWithCrLf(const std::vector<std::string>& lines);

}  // namespace tidemark
