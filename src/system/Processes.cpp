#include "system/Processes.h"

#include "script/Cp949Text.h"
#include "system/UniqueHandle.h"

namespace tidemark {

std::vector<std::uint32_t> FindProcessIds(const std::string& imageName) {
  std::vector<std::uint32_t> ids;
  UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return ids;
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot.get(), &entry); more;
       more = Process32Next(snapshot.get(), &entry)) {
    if (EqualsIgnoreCaseCp949(entry.szExeFile, imageName)) ids.push_back(entry.th32ProcessID);
  }
  return ids;
}

std::uint32_t FindProcessId(const std::string& imageName) {
  const std::vector<std::uint32_t> ids = FindProcessIds(imageName);
  return ids.empty() ? kNoProcess : ids.front();
}

void KillProcessByName(const std::string& imageName) {
  const DWORD self = GetCurrentProcessId();
  for (const std::uint32_t id : FindProcessIds(imageName)) {
    if (id == self) continue;
    UniqueHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, id));
    if (process) TerminateProcess(process.get(), 0);
  }
}

}  // namespace tidemark
