// Measures reading a 1,000-entry section with every value: with our reader
// (parsing the file's bytes) and with GetPrivateProfileStringA on the same
// file. The two take turns round by round; prints each one's median and
// range, and the ratio of the medians.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "../tests/support/ProfileReader.h"
#include "BenchClock.h"
#include "BenchStats.h"
#include "script/ScriptIni.h"

namespace {

constexpr int kEntries = 1000;
constexpr int kRounds = 9;

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
  for (int i = 1; i <= kEntries; ++i) {
    text += "item" + std::to_string(i) + "=%PROGRAM_FILES%\\vendor\\file" + std::to_string(i) + ".dat\r\n";
  }
  HANDLE out = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(out);

  std::size_t checksum = 0;
  using tidemark::bench::Side;
  const std::vector<Side> sides = {
      {"our reader",
       [&] {
         return tidemark::bench::TimeMs([&] {
           const tidemark::ScriptIni reader(ReadAll(file));
           tidemark::EntryList list;
           reader.ReadSectionEntries("FILE", list);
           checksum += list.size();
         });
       }},
      {"GetPrivateProfileStringA",
       [&] {
         return tidemark::bench::TimeMs(
             [&] { checksum += tidemark::testing::ProfileSectionEntries(file, "FILE").size(); });
       }},
  };
  const auto samples = tidemark::bench::Alternate(sides, kRounds);
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, file.c_str());
  DeleteFileA(file.c_str());

  std::printf("A %d-entry section read with every value, the two sides in turn\n", kEntries);
  std::printf(
      "  our reader: reads the file's bytes, parses them and fills the section's Name=Value list "
      "(ReadSectionEntries), every round from the file\n");
  std::printf(
      "  GetPrivateProfileStringA: one call lists the section's names, then one call a name reads "
      "its value (%d calls a round, on the same file)\n",
      kEntries + 1);
  tidemark::bench::PrintSummary(sides[0].name, samples[0]);
  tidemark::bench::PrintSummary(sides[1].name, samples[1]);
  tidemark::bench::PrintRatio("ratio of medians (profile / ours)", samples[1], samples[0]);
  std::printf("  [%zu entries read in all]\n", checksum);
  return 0;
}
