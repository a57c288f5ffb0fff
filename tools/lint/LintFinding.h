// What the checker reports about a removal script, and how a report line is
// printed.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tidemark::lint {

enum class Severity { Error, Warning, Note };

struct Finding {
  std::size_t line;  // 1-based line of the script file
  Severity severity;
  std::string message;
};

const char* SeverityName(Severity severity);

// "FILE:LINE: severity: message": the form compilers use, so that editors and
// build logs can jump to the line.
std::string FormatFinding(std::string_view file, const Finding& finding);

// Orders by line and keeps the order of discovery within a line.
void SortByLine(std::vector<Finding>& findings);

bool HasError(const std::vector<Finding>& findings);

// Script text in single quotation marks, byte for byte (code page 949), cut
// on a character boundary when it is long: a 2047-byte value would bury the
// report line.
std::string Quote(std::string_view text);

}  // namespace tidemark::lint
