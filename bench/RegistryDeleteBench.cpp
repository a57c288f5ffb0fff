// Measures deleting a tree of 10,000 keys (four levels below the deleted key,
// a string value in every key) with TRegistry::DeletePath, and deleting an
// identical tree with "reg delete <key> /f" started as a separate process.
// The two take turns round by round, with the bare start of reg.exe
// ("reg /?") measured in the same rounds, so that reg's figure can be read
// without the start of its program. Each round builds its trees anew,
// outside the figures.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "BenchStats.h"
#include "system/Registry.h"
#include "system/UniqueHandle.h"

namespace {

constexpr int kFanOut[] = {10, 9, 10, 10};  // 10 + 90 + 900 + 9,000 = 10,000 keys
constexpr int kRounds = 5;

// Creates the subkeys of one level below the key and recurses; returns how many keys it made.
int BuildLevel(HKEY parent, int depth) {
  if (depth == static_cast<int>(sizeof kFanOut / sizeof kFanOut[0])) return 0;
  int made = 0;
  for (int i = 0; i < kFanOut[depth]; ++i) {
    const std::string name = "key" + std::to_string(depth) + "-" + std::to_string(i);
    tidemark::UniqueHKey child;
    if (RegCreateKeyExA(parent, name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, child.put(),
                        nullptr) != ERROR_SUCCESS) {
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

bool Exists(const std::string& path) {
  tidemark::UniqueHKey key;
  return RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

}  // namespace

int main() {
  const std::string base = "Software\\TidemarkBench\\" + std::to_string(GetCurrentProcessId());
  const std::string ours = base + "\\ours";
  const std::string theirs = base + "\\theirs";
  int keys = 0;
  int failures = 0;

  using tidemark::bench::Side;
  const std::vector<Side> sides = {
      {"TRegistry::DeletePath",
       [&] {
         keys = BuildTree(ours);
         bool deleted = false;
         const double ms = tidemark::bench::TimeMs([&] {
           tidemark::TRegistry registry;
           deleted = registry.DeletePath("\\" + ours);
         });
         if (!deleted || Exists(ours)) ++failures;
         return ms;
       }},
      {"reg delete /f",
       [&] {
         BuildTree(theirs);
         long exitCode = -1;
         const double ms = tidemark::bench::TimeProgram("reg.exe delete \"HKCU\\" + theirs + "\" /f", &exitCode);
         if (exitCode != 0 || Exists(theirs)) ++failures;
         return ms;
       }},
      {"reg /? (reg.exe's bare start)", [] { return tidemark::bench::TimeProgram("reg.exe /?"); }},
  };
  const auto samples = tidemark::bench::Alternate(sides, kRounds);
  RegDeleteTreeA(HKEY_CURRENT_USER, base.c_str());
  RegDeleteKeyA(HKEY_CURRENT_USER, base.c_str());
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\TidemarkBench");

  std::printf("Deleting a tree of %d keys with a value in each, the three in turn, %d rounds\n", keys, kRounds);
  for (std::size_t side = 0; side < sides.size(); ++side)
    tidemark::bench::PrintSummary(sides[side].name, samples[side]);
  const std::vector<double> regAlone = tidemark::bench::Minus(samples[1], samples[2]);
  tidemark::bench::PrintSummary("reg delete less reg.exe's start", regAlone);
  tidemark::bench::PrintRatio("ratio of medians (reg / DeletePath)", samples[1], samples[0]);
  tidemark::bench::PrintRatio("the same, reg less its start", regAlone, samples[0]);
  std::printf("  rounds where a tree was left or a side reported failure: %d\n", failures);
  return 0;
}
