// Measures deleting a tree of 10,000 keys (four levels below the deleted key,
// a string value in every key) with TRegistry::DeletePath, and deleting an
// identical tree with "reg delete <key> /f" started as a separate process.
// One run of each on the same machine; prints both times and the ratio.
#include <windows.h>

#include <cstdio>
#include <string>

#include "system/Registry.h"
#include "system/UniqueHandle.h"

namespace {

constexpr int kFanOut[] = {10, 9, 10, 10};  // 10 + 90 + 900 + 9,000 = 10,000 keys

double NowMs() {
  LARGE_INTEGER frequency;
  LARGE_INTEGER now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Creates the subkeys of one level below the key and recurses; returns how many keys it made.
int BuildLevel(HKEY parent, int depth) {
  if (depth == static_cast<int>(sizeof kFanOut / sizeof kFanOut[0])) return 0;
  int made = 0;
  for (int i = 0; i < kFanOut[depth]; ++i) {
    const std::string name = "key" + std::to_string(depth) + "-" + std::to_string(i);
    tidemark::UniqueHKey child;
    if (RegCreateKeyExA(parent, name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                        child.put(), nullptr) != ERROR_SUCCESS) {
      continue;
    }
    const std::string data = "value of " + name;
    RegSetValueExA(child.get(), "data", 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>(data.size() + 1));
    made += 1 + BuildLevel(child.get(), depth + 1);
  }
  return made;
}

int BuildTree(const std::string& path) {
  tidemark::UniqueHKey top;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                      top.put(), nullptr) != ERROR_SUCCESS) {
    return 0;
  }
  return BuildLevel(top.get(), 0);
}

// Runs the command line, its output sent to NUL; the exit code, or -1.
long RunAndWait(std::string commandLine) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  tidemark::UniqueFile nul(CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                       OPEN_EXISTING, 0, nullptr));
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nullptr;
  startup.hStdOutput = nul.get();
  startup.hStdError = nul.get();
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return -1;
  }
  tidemark::UniqueHandle processHandle(process.hProcess);
  tidemark::UniqueHandle threadHandle(process.hThread);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD exitCode = 0;
  GetExitCodeProcess(process.hProcess, &exitCode);
  return static_cast<long>(exitCode);
}

bool Exists(const std::string& path) {
  tidemark::UniqueHKey key;
  return RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

}  // namespace

int main() {
  const std::string base = "Software\\TidemarkBench\\" + std::to_string(GetCurrentProcessId());
  const std::string ours = base + "\\ours";
  const std::string theirs = base + "\\theirs";

  const int oursKeys = BuildTree(ours);
  double start = NowMs();
  bool deleted = false;
  {
    tidemark::TRegistry registry;
    deleted = registry.DeletePath("\\" + ours);
  }
  const double oursMs = NowMs() - start;

  const int theirsKeys = BuildTree(theirs);
  start = NowMs();
  const long regExit = RunAndWait("reg.exe delete \"HKCU\\" + theirs + "\" /f");
  const double theirsMs = NowMs() - start;

  // The start-up of a reg.exe process alone, for reading the second time.
  start = NowMs();
  RunAndWait("reg.exe delete \"HKCU\\" + base + "\\missing\" /f");
  const double startupMs = NowMs() - start;

  const bool oursGone = !Exists(ours);
  const bool theirsGone = !Exists(theirs);
  RegDeleteTreeA(HKEY_CURRENT_USER, base.c_str());
  RegDeleteKeyA(HKEY_CURRENT_USER, base.c_str());
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\TidemarkBench");

  std::printf("Deleting a tree of keys with a value in each (one run each)\n");
  std::printf("  TRegistry::DeletePath:  %6d keys %10.1f ms  result %s, tree %s\n", oursKeys, oursMs,
              deleted ? "true" : "false", oursGone ? "gone" : "STILL THERE");
  std::printf("  reg delete /f:          %6d keys %10.1f ms  exit code %ld, tree %s\n", theirsKeys, theirsMs,
              regExit, theirsGone ? "gone" : "STILL THERE");
  std::printf("  (reg.exe start-up on a missing key alone: %.1f ms)\n", startupMs);
  std::printf("  ratio (reg delete / DeletePath): %.2f x\n", theirsMs / oursMs);
  return deleted && oursGone && theirsGone && regExit == 0 ? 0 : 1;
}
