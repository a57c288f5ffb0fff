#include "ui/ErrorReport.h"

#include <windows.h>

#include "system/ApplicationTitle.h"

namespace tidemark {

void ShowErrorReport(const std::string& message) {
  MessageBoxA(nullptr, ErrorReportText(message).c_str(), ApplicationTitle().c_str(), MB_OK | MB_ICONSTOP);
}

}  // namespace tidemark
