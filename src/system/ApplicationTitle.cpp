#include "system/ApplicationTitle.h"

#include <windows.h>

namespace tidemark {

std::string ExecutablePath() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);  // the name was cut to the buffer
  }
}

std::string ApplicationTitle() { return ApplicationTitleFromPath(ExecutablePath()); }

}  // namespace tidemark
