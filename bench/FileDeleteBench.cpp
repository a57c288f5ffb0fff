// DeleteFilesInDir on a folder of 10,000 files against the shell's own
// "del /q /a" on an identical folder, the two in turn round by round, with
// the bare start of cmd.exe ("cmd /c exit") measured in the same rounds, so
// that del's figure can be read without the start of its program.
#include <cstdio>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "BenchStats.h"
#include "engine/FileRemoval.h"

namespace {

constexpr int kFiles = 10000;
constexpr int kRounds = 5;

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
  do ++count;
  while (FindNextFileA(search, &found));
  FindClose(search);
  return count;
}

}  // namespace

int main() {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string ours = std::string(temp) + "tidemark-bench-ours";
  const std::string theirs = std::string(temp) + "tidemark-bench-del";
  int oursLeft = 0;
  int theirsLeft = 0;

  using tidemark::bench::Side;
  const std::vector<Side> sides = {
      {"DeleteFilesInDir",
       [&] {
         MakeFolder(ours);
         const double ms = tidemark::bench::TimeMs([&] { tidemark::DeleteFilesInDir(ours, "*.*"); });
         oursLeft += CountFiles(ours);
         return ms;
       }},
      {"cmd /c del /q /a",
       [&] {
         MakeFolder(theirs);
         const double ms = tidemark::bench::TimeProgram("cmd.exe /c del /q /a \"" + theirs + "\\*.*\"");
         theirsLeft += CountFiles(theirs);
         return ms;
       }},
      {"cmd /c exit (cmd.exe's bare start)", [] { return tidemark::bench::TimeProgram("cmd.exe /c exit"); }},
  };
  const auto samples = tidemark::bench::Alternate(sides, kRounds);
  RemoveDirectoryA(ours.c_str());
  RemoveDirectoryA(theirs.c_str());

  std::printf("%d files (a tenth hidden), the three in turn, %d rounds\n", kFiles, kRounds);
  for (std::size_t side = 0; side < sides.size(); ++side)
    tidemark::bench::PrintSummary(sides[side].name, samples[side]);
  const std::vector<double> delAlone = tidemark::bench::Minus(samples[1], samples[2]);
  tidemark::bench::PrintSummary("del less cmd.exe's start", delAlone);
  tidemark::bench::PrintRatio("ratio of medians (del / ours)", samples[1], samples[0]);
  tidemark::bench::PrintRatio("the same, del less its start", delAlone, samples[0]);
  std::printf("  files left: %d by DeleteFilesInDir, %d by del (all rounds)\n", oursLeft, theirsLeft);
  return 0;
}
