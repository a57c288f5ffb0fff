// How the checker's time grows with a long [PATH] section: 1,000, 2,000 and
// 4,000 folders of about 170 bytes each (short entry names, so that all of
// them fit in the 16384-byte listing), the subfolders listed before their
// folders. Time per entry should stay flat; median and range of seven runs
// of each size. Measures only.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "lint/ScriptLint.h"

namespace {

std::string ShortName(std::size_t number) {
  static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::string name;
  for (std::size_t rest = number + 1; rest > 0; rest = (rest - 1) / 36) {
    name.insert(name.begin(), kDigits[(rest - 1) % 36]);
  }
  return name;
}

std::string FolderScript(std::size_t folders) {
  std::string text = "[APPTYPE]\r\ncategory=c\r\ntitle=t\r\n[PATH]\r\n";
  constexpr std::size_t kParts = 40;
  for (std::size_t index = 0; index < folders; ++index) {
    text += ShortName(index) + "=%PROGRAM_FILES%\\lumenseek\\part" + std::to_string(index % kParts) + "\\" +
            std::string(120, 'x') + "\\leaf" + std::to_string(index) + "\r\n";
  }
  for (std::size_t part = 0; part < kParts; ++part) {
    text += ShortName(folders + part) + "=%PROGRAM_FILES%\\lumenseek\\part" + std::to_string(part) + "\r\n";
  }
  return text;
}

double Milliseconds(std::chrono::steady_clock::duration duration) {
  return std::chrono::duration<double, std::milli>(duration).count();
}

}  // namespace

int main() {
  std::printf("checker over a long [PATH] section\n");
  std::printf("%10s %10s %12s %14s %14s\n", "folders", "bytes", "median ms", "range ms", "us per entry");
  for (std::size_t folders : {1000u, 2000u, 4000u}) {
    const std::string script = FolderScript(folders);
    std::vector<double> runs;
    std::size_t findings = 0;
    for (int run = 0; run < 7; ++run) {
      const auto start = std::chrono::steady_clock::now();
      findings = tidemark::lint::LintScript(script).findings.size();
      runs.push_back(Milliseconds(std::chrono::steady_clock::now() - start));
    }
    std::sort(runs.begin(), runs.end());
    const double median = runs[runs.size() / 2];
    std::printf("%10zu %10zu %12.1f %6.1f-%-7.1f %14.2f   (%zu findings)\n", folders, script.size(), median,
                runs.front(), runs.back(), 1000.0 * median / static_cast<double>(folders), findings);
  }
  return 0;
}
