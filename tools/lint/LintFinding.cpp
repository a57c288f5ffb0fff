#include "lint/LintFinding.h"

#include <algorithm>

#include "system/Cp949Text.h"

namespace tidemark::lint {

namespace {

constexpr std::size_t kQuotedBytes = 80;

}  // namespace

const char* SeverityName(Severity severity) {
  switch (severity) {
    case Severity::Error: return "error";
    case Severity::Warning: return "warning";
    case Severity::Note: break;
  }
  return "note";
}

std::string FormatFinding(std::string_view file, const Finding& finding) {
  std::string line(file);
  line += ':';
  line += std::to_string(finding.line);
  line += ": ";
  line += SeverityName(finding.severity);
  line += ": ";
  line += finding.message;
  return line;
}

void SortByLine(std::vector<Finding>& findings) {
  std::stable_sort(findings.begin(), findings.end(),
                   [](const Finding& a, const Finding& b) { return a.line < b.line; });
}

bool HasError(const std::vector<Finding>& findings) {
  return std::any_of(findings.begin(), findings.end(),
                     [](const Finding& finding) { return finding.severity == Severity::Error; });
}

std::string Quote(std::string_view text) {
  if (text.size() <= kQuotedBytes) return "'" + std::string(text) + "'";
  std::size_t end = 0;
  while (end < text.size()) {
    const std::size_t next = end + Cp949CharLength(text, end);
    if (next > kQuotedBytes) break;
    end = next;
  }
  return "'" + std::string(text.substr(0, end)) + "...'";
}

}  // namespace tidemark::lint
