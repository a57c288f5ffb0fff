#include "system/Processes.h"

#include "system/Cp949Text.h"
#include "system/UniqueHandle.h"

namespace tidemark {

void ForEachProcess(const std::function<void(std::uint32_t id, const std::string& imageName)>& found) {
  UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return;
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot.get(), &entry); more; more = Process32Next(snapshot.get(), &entry)) {
    found(entry.th32ProcessID, entry.szExeFile);
  }
}

std::vector<std::uint32_t> FindProcessIds(const std::string& imageName) {
  std::vector<std::uint32_t> ids;
  ForEachProcess([&](std::uint32_t id, const std::string& image) {
    if (EqualsIgnoreCaseCp949(image, imageName)) ids.push_back(id);
  });
  return ids;
}

int CountProcesses(const std::string& imageName) { return static_cast<int>(FindProcessIds(imageName).size()); }

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
