#include "system/WindowsVersion.h"

#include <windows.h>

namespace tidemark {

bool Is64BitWindows() {
  if (sizeof(void*) == 8) return true;
  BOOL wow64 = FALSE;
  return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

}  // namespace tidemark
