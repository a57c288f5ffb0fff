#include "system/Processes.h"

#include "script/Cp949Text.h"
#include "system/UniqueHandle.h"

namespace tidemark {

std::uint32_t FindProcessId(const std::string& imageName) {
  UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return kNoProcess;
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot.get(), &entry); more;
       more = Process32Next(snapshot.get(), &entry)) {
    if (EqualsIgnoreCaseCp949(entry.szExeFile, imageName)) return entry.th32ProcessID;
  }
  return kNoProcess;
}

void KillProcessByName(const std::string& imageName) {
  const std::uint32_t id = FindProcessId(imageName);
  if (id == kNoProcess) return;
  UniqueHandle process(OpenProcess(MAXIMUM_ALLOWED, FALSE, id));
  if (process) TerminateProcess(process.get(), 0);
}

}  // namespace tidemark
