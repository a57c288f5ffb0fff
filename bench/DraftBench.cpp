// How reading two snapshots and drafting from them grows with the registry:
// the same machine at 25,000, 50,000 and 100,000 keys (two values each),
// with 1% of the keys new in the second snapshot. Time per key should stay
// flat; median and range of seven runs of each size. Measures only.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "capture/ScriptDraft.h"
#include "capture/SnapshotFile.h"

namespace {

using tidemark::capture::Snapshot;

Snapshot Machine(std::size_t keys, std::size_t newEvery) {
  Snapshot snapshot;
  snapshot.machine = "BENCH";
  snapshot.views = {"32", "64"};
  snapshot.macros = {{"%PROGRAM_FILES%", "C:\\Program Files (x86)"}};
  for (std::size_t index = 0; index < keys; ++index) {
    if (newEvery != 0 && index % newEvery == 0) continue;
    const std::string path = "Software\\Vendor" + std::to_string(index / 100) + "\\Key" + std::to_string(index);
    snapshot.keys.push_back({"32", "HKLM", path});
    snapshot.values.push_back({{"32", "HKLM", path}, "", 1, index, ""});
    snapshot.values.push_back({{"32", "HKLM", path}, "Setting", 4, index * 7, ""});
  }
  return snapshot;
}

double Milliseconds(std::chrono::steady_clock::duration duration) {
  return std::chrono::duration<double, std::milli>(duration).count();
}

}  // namespace

int main() {
  std::printf("draft from two snapshots: parse both files, compare, draft and check the script\n");
  std::printf("%10s %12s %12s %14s\n", "keys", "median ms", "range ms", "us per key");
  for (std::size_t keys : {25000u, 50000u, 100000u}) {
    // Every key of the first snapshot is in the second; the second adds 1%.
    const std::string before = tidemark::capture::FormatSnapshot(Machine(keys, 100));
    const std::string after = tidemark::capture::FormatSnapshot(Machine(keys, 0));
    std::vector<double> runs;
    std::size_t scriptSize = 0;
    for (int run = 0; run < 7; ++run) {
      const auto start = std::chrono::steady_clock::now();
      const auto first = tidemark::capture::ParseSnapshot(before);
      const auto second = tidemark::capture::ParseSnapshot(after);
      scriptSize = tidemark::capture::DraftScript(first.snapshot, second.snapshot).size();
      runs.push_back(Milliseconds(std::chrono::steady_clock::now() - start));
    }
    std::sort(runs.begin(), runs.end());
    const double median = runs[runs.size() / 2];
    std::printf("%10zu %12.1f %5.1f-%-6.1f %14.2f   (draft %zu bytes)\n", keys, median, runs.front(), runs.back(),
                1000.0 * median / static_cast<double>(keys), scriptSize);
  }
  return 0;
}
