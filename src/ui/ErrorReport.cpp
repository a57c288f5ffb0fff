#include "ui/ErrorReport.h"

#include <windows.h>

namespace tidemark {

namespace {

std::string ApplicationTitle() {
  char path[MAX_PATH * 2] = {};
  GetModuleFileNameA(nullptr, path, sizeof path - 1);
  return ApplicationTitleFromPath(path);
}

}  // namespace

void ShowErrorReport(const std::string& message) {
  MessageBoxA(nullptr, ErrorReportText(message).c_str(), ApplicationTitle().c_str(),
              MB_OK | MB_ICONSTOP);
}

}  // namespace tidemark
