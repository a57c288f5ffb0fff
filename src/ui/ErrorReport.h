// The default error report: what the user sees of an error that no
// operation handled.
#pragma once

#include <string>
#include <string_view>

namespace tidemark {

// The message with a full stop appended when its last character sorts after
// "." (a letter, a digit or a Korean character), unchanged when it is empty
// or already ends in ".", "," or ")".
std::string ErrorReportText(std::string_view message);

// Shows the report: a message box with the stop icon, the application title
// as caption and ErrorReportText(message). Windows builds only.
void ShowErrorReport(const std::string& message);

}  // namespace tidemark
