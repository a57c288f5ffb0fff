#include "ui/MemoText.h"

namespace tidemark {

namespace {

constexpr std::string_view kLineBreak = "\r\n";

bool EndsWithLineBreak(std::string_view text) {
  return text.size() >= kLineBreak.size() && text.substr(text.size() - kLineBreak.size()) == kLineBreak;
}

}  // namespace

std::string MemoAppendText(std::string_view current, std::string_view line) {
  std::string inserted;
  if (!current.empty() && !EndsWithLineBreak(current)) inserted += kLineBreak;
  inserted += line;
  inserted += kLineBreak;
  return inserted;
}

std::vector<std::string> MemoLines(std::string_view text) {
  std::vector<std::string> lines;
  while (!text.empty()) {
    const std::size_t end = text.find(kLineBreak);
    if (end == std::string_view::npos) {
      lines.emplace_back(text);
      break;
    }
    lines.emplace_back(text.substr(0, end));
    text.remove_prefix(end + kLineBreak.size());
  }
  return lines;
}

}  // namespace tidemark
