#include <gtest/gtest.h>

#include "engine/ProtectedProcesses.h"

namespace tidemark {
namespace {

TEST(ProtectedProcesses, WindowsOwnProcessesAreProtectedInAnyLetterCase) {
  for (const char* name : {"System", "SYSTEM", "smss.exe", "csrss.exe", "wininit.exe", "WinLogon.exe", "services.exe",
                           "lsass.exe", "lsm.exe", "svchost.exe", "dwm.exe", "fontdrvhost.exe", " lsass.exe\t"}) {
    EXPECT_TRUE(IsProtectedProcessName(name)) << name;
  }
}

TEST(ProtectedProcesses, TargetsAndNearMissesAreNot) {
  for (const char* name : {"lumenseek.exe", "svchost2.exe", "svchost", "system.exe", "my-services.exe", "",
                           "C:\\Windows\\System32\\svchost.exe", "\xB0\xCB.exe"}) {
    EXPECT_FALSE(IsProtectedProcessName(name)) << name;
  }
}

}  // namespace
}  // namespace tidemark
