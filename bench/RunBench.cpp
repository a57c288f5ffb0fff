// One removal run with the Start button's switches over the embedded script:
// its wall time (at least the eight pauses of 200 ms) and the CPU time the
// process spends meanwhile. The waits sleep in the message queue, so the CPU
// time should be a small fraction of the wall time.
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "BenchStats.h"
#include "engine/RemovalRun.h"
#include "engine/ShellFolderLookup.h"
#include "engine/StepSlots.h"
#include "script/ScriptFile.h"
#include "system/Waits.h"

namespace {

constexpr int kRounds = 5;

class BenchHost : public tidemark::RunHost {
 public:
  explicit BenchHost(std::string script) : m_script(script) {}
  const tidemark::ScriptIni& Script() const override { return m_script; }
  const tidemark::FolderLookup& Folders() const override { return m_folders; }
  void AddStatus(const std::string&) override { ++lines; }
  void ClearStatus() override { lines = 0; }
  void Delay(int milliseconds) override { tidemark::Delay(nullptr, milliseconds); }
  bool WindowClosed() const override { return false; }
  int lines = 0;

 private:
  tidemark::ScriptIni m_script;
  tidemark::ShellFolderLookup m_folders;
};

}  // namespace

int main() {
  BenchHost host(tidemark::LoadScriptResource(GetModuleHandleA(nullptr), tidemark::kScriptResourceName));
  std::vector<double> walls;
  std::vector<double> cpus;
  for (int round = 1; round <= kRounds; ++round) {
    const double wallStart = tidemark::bench::WallMs();
    const double cpuStart = tidemark::bench::CpuMs();
    tidemark::RunRemoval(host, tidemark::kStartButtonSwitches);
    const double wall = tidemark::bench::WallMs() - wallStart;
    const double cpu = tidemark::bench::CpuMs() - cpuStart;
    walls.push_back(wall);
    cpus.push_back(cpu);
    std::printf("run %d: wall %8.1f ms, CPU %7.1f ms (%.1f%% of wall), %d status lines\n", round, wall, cpu,
                100.0 * cpu / wall, host.lines);
  }
  tidemark::bench::PrintSummary("wall", walls);
  tidemark::bench::PrintSummary("CPU", cpus);
  return 0;
}
