#include "script/ScriptLines.h"

#include "system/AsciiText.h"

namespace tidemark {

std::vector<std::string> SplitScriptLines(std::string_view text) {
  const std::size_t zero = text.find('\0');
  if (zero != std::string_view::npos) text = text.substr(0, zero);

  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const LineEnd line = FindLineEnd(text, start);
    lines.emplace_back(text.substr(start, line.end - start));
    start = line.next;
  }
  return lines;
}

std::string JoinLinesWithCrLf(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

}  // namespace tidemark
