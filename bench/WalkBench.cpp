// Measures the section walk that every removal step makes, on the host:
// parsing a script with one large [FILE] section, then listing it and
// looking up every value by its name, as WalkSection does. Prints the median
// and range of several rounds for sections of 1,000 and 4,000 entries.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchStats.h"
#include "engine/SectionWalk.h"
#include "script/ScriptIni.h"

namespace {

class NoFolders : public tidemark::FolderLookup {
 public:
  std::optional<std::string> SpecialFolder(int) const override { return "C:\\Folder"; }
  std::optional<std::string> TempFolder() const override { return "C:\\Temp"; }
};

// Names of at most three characters (base 36), so that 4,000 of them still
// fit in the 16384-byte listing and every entry is walked.
std::string ShortName(int number) {
  const char* digits = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::string name;
  do {
    name.insert(name.begin(), digits[number % 36]);
    number /= 36;
  } while (number > 0);
  return name;
}

std::string ScriptWithEntries(int count) {
  std::string text = "[PROCESS]\r\n";
  for (int i = 1; i <= count; ++i) text += ShortName(i) + "=agent" + std::to_string(i) + ".exe\r\n";
  return text;
}

double WalkMs(const tidemark::ScriptIni& script, int& handled) {
  const auto start = std::chrono::steady_clock::now();
  handled = tidemark::WalkSection(script, "PROCESS", NoFolders(), [](const std::string&, const std::string&) {
              return tidemark::WalkControl::Continue;
            }).handled;
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

void Measure(int entries) {
  const tidemark::ScriptIni script(ScriptWithEntries(entries));
  std::vector<double> times;
  int handled = 0;
  for (int round = 0; round < 15; ++round) times.push_back(WalkMs(script, handled));
  tidemark::bench::PrintSummary(
      "walk of " + std::to_string(entries) + " entries (" + std::to_string(handled) + " handled)", times);
}

}  // namespace

int main() {
  Measure(1000);
  Measure(4000);
  return 0;
}
