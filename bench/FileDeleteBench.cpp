// DeleteFilesInDir on a folder of 10,000 files against the shell's own
// "del /q /a" on an identical folder, same machine, one run each.
#include <cstdio>
#include <string>

#include "BenchClock.h"
#include "system/FileRemoval.h"

namespace {

constexpr int kFiles = 10000;

std::string MakeFolder(const std::string& path) {
  CreateDirectoryA(path.c_str(), nullptr);
  for (int i = 0; i < kFiles; ++i) {
    const std::string file = path + "\\file" + std::to_string(i) + ".dat";
    HANDLE handle = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                i % 10 == 0 ? FILE_ATTRIBUTE_HIDDEN : FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(handle, "data", 4, &written, nullptr);
    CloseHandle(handle);
  }
  return path;
}

int CountFiles(const std::string& path) {
  WIN32_FIND_DATAA found;
  int count = 0;
  HANDLE search = FindFirstFileA((path + "\\*.dat").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  do ++count; while (FindNextFileA(search, &found));
  FindClose(search);
  return count;
}

double RunCommand(std::string commandLine) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  const double start = tidemark::bench::WallMs();
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                      &startup, &process)) {
    return -1;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  const double elapsed = tidemark::bench::WallMs() - start;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return elapsed;
}

}  // namespace

int main() {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string ours = MakeFolder(std::string(temp) + "tidemark-bench-ours");
  const std::string theirs = MakeFolder(std::string(temp) + "tidemark-bench-del");

  const double start = tidemark::bench::WallMs();
  tidemark::DeleteFilesInDir(ours, "*.*");
  const double oursMs = tidemark::bench::WallMs() - start;
  const double delMs = RunCommand("cmd.exe /c del /q /a \"" + theirs + "\\*.*\"");

  std::printf("%d files (a tenth hidden), one run each\n", kFiles);
  std::printf("  DeleteFilesInDir:  %9.1f ms, %d files left\n", oursMs, CountFiles(ours));
  std::printf("  cmd /c del /q /a:  %9.1f ms, %d files left\n", delMs, CountFiles(theirs));
  std::printf("  ratio (del / ours): %8.2f x\n", delMs / oursMs);
  RemoveDirectoryA(ours.c_str());
  RemoveDirectoryA(theirs.c_str());
  return 0;
}
