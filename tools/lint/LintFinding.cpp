#include "lint/LintFinding.h"

#include <algorithm>

#include "engine/EntryVerdicts.h"

namespace tidemark::lint {

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

std::string Quote(std::string_view text) { return QuoteScriptText(text); }

}  // namespace tidemark::lint
