// Measures listing a 1,000-entry section and looking up every value: with
// our reader (parsing the file's bytes) and with GetPrivateProfileStringA on
// the same file. Prints the median of several rounds and the ratio.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "../tests/support/ProfileReader.h"
#include "BenchClock.h"
#include "script/ScriptIni.h"

namespace {

template <typename Work>
double MedianMs(int rounds, Work work) {
  std::vector<double> times;
  for (int i = 0; i < rounds; ++i) {
    const double start = tidemark::bench::WallMs();
    work();
    times.push_back(tidemark::bench::WallMs() - start);
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

std::string ReadAll(const std::string& path) {
  std::string bytes;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  bytes.resize(GetFileSize(file, nullptr));
  DWORD read = 0;
  ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  CloseHandle(file);
  bytes.resize(read);
  return bytes;
}

}  // namespace

int main() {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string file = std::string(temp) + "tidemark-reader-bench.ini";
  std::string text = "[APPTYPE]\r\ntitle=bench\r\n[FILE]\r\n";
  for (int i = 1; i <= 1000; ++i) {
    text += "item" + std::to_string(i) + "=%PROGRAM_FILES%\\vendor\\file" + std::to_string(i) + ".dat\r\n";
  }
  HANDLE out = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(out);

  std::size_t checksum = 0;
  const double ours = MedianMs(21, [&] {
    const tidemark::ScriptIni reader(ReadAll(file));
    tidemark::EntryList list;
    reader.ReadSectionEntries("FILE", list);
    checksum += list.size();
  });
  const double profile = MedianMs(5, [&] { checksum += tidemark::testing::ProfileSectionEntries(file, "FILE").size(); });
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, file.c_str());
  DeleteFileA(file.c_str());

  std::printf("1000-entry section, listing and one lookup per entry (median)\n");
  std::printf("  our reader:                %10.3f ms\n", ours);
  std::printf("  GetPrivateProfileStringA:  %10.3f ms\n", profile);
  std::printf("  ratio (profile / ours):    %10.1f x   [%zu entries read]\n", profile / ours, checksum);
  return 0;
}
