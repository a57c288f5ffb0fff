// tidemark-trial: the Windows side of a sandbox trial of a removal script
// (scripts/try-script.sh runs it in a throwaway Wine prefix).
//
//   tidemark-trial seed SCRIPT PROCESS_FOLDER [--hold-files]
//   tidemark-trial start PROGRAM
//   tidemark-trial report SCRIPT BEFORE AFTER [--restarted AFTER_RESTART] [--ignore FOLDER]... [--name NAME]
//   tidemark-trial dummy
//   tidemark-trial hold FILE
//
// "seed" makes what the script names, with a near miss beside each (with
// --hold-files, each file for a [FILE] entry is held open by another
// program, which keeps it from being deleted); "start" runs the program,
// presses Start and says how the run ended ("the run ended: complete",
// "... complete at the restart", "... not complete") and, when there are
// any, how many file operations wait for the next restart; "report" judges
// the run from the snapshots of tidemark-capture taken before and after it
// and, when the machine was restarted after the run, after the restart;
// "dummy" is the stand-in of a target's process, which runs until it is
// ended; "hold" opens the file without sharing its deletion and keeps it
// open until it is ended. The exit codes are the authoring tools' own
// (common/ToolMain.h): 0 when the step succeeded (for "start": the run
// ended with one of its last lines; for "report": everything removed and
// nothing else changed), 1 when not.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "capture/WholeFile.h"
#include "common/ToolMain.h"
#include "system/ApplicationTitle.h"
#include "trial/TrialReport.h"
#include "trial/TrialSeed.h"
#include "trial/TrialStart.h"

namespace {

using tidemark::tool::kDone;
using tidemark::tool::kFailed;
using tidemark::tool::kUsage;

constexpr const char* kToolName = "tidemark-trial";

constexpr tidemark::tool::Help kHelp = {
    kToolName,
    "usage: tidemark-trial seed SCRIPT PROCESS_FOLDER [--hold-files]\n"
    "       tidemark-trial start PROGRAM\n"
    "       tidemark-trial report SCRIPT BEFORE AFTER [--restarted AFTER_RESTART]\n"
    "                             [--ignore FOLDER]... [--name NAME]\n"
    "       tidemark-trial dummy\n"
    "       tidemark-trial hold FILE\n",
    "The Windows side of a sandbox trial (scripts/try-script.sh runs it): seed what SCRIPT\n"
    "names with a near miss beside each, start PROGRAM and press Start, judge the run from\n"
    "tidemark-capture snapshots; dummy stands in for a target's process, hold keeps FILE open.\n",
    "  --hold-files\n"
    "      (seed) another program holds each file for a [FILE] entry open, without delete sharing\n"
    "  --restarted AFTER_RESTART\n"
    "      (report) the snapshot after the restart that followed the run\n"
    "  --ignore FOLDER\n"
    "      (report) changes below FOLDER are not the run's; may be repeated\n"
    "  --name NAME\n"
    "      (report) how the verdict names the script\n",
    "the step succeeded (report: everything removed and nothing else changed)",
    "the step did not succeed (report: something left or changed outside the script)",
};

int Usage() { return tidemark::tool::UsageError(kHelp); }

int Fail(int code, const std::string& message) { return tidemark::tool::Report(kToolName, code, message); }

int Seed(const std::string& scriptPath, const std::string& processFolder, bool holdFiles) {
  std::string script;
  if (!tidemark::capture::ReadWholeFile(scriptPath, script)) return Fail(kUsage, "cannot read " + scriptPath);
  if (!tidemark::trial::SeedInstallation(script, tidemark::ExecutablePath(), processFolder, holdFiles, stdout)) {
    return Fail(kFailed, scriptPath + " names nothing that a run of the Start button removes");
  }
  return kDone;
}

int Start(const std::string& program) {
  const tidemark::trial::StartRun run = tidemark::trial::PressStart(program);
  for (const std::string& line : run.status) std::printf("  %s\n", line.c_str());
  if (!run.problem.empty()) return Fail(kFailed, run.problem);
  // Read after the program has ended: nothing adds to the list then.
  std::printf("the run ended: %s\n", tidemark::trial::RunEndName(run.end));
  if (const std::size_t pending = tidemark::trial::PendingFileOperations(); pending != 0) {
    std::printf("file operations pending for the restart: %zu\n", pending);
  }
  return kDone;
}

int Hold(const std::string& path) {
  tidemark::trial::HoldFile(path);
  return Fail(kFailed, "cannot open " + path + " (error " + std::to_string(GetLastError()) + ")");
}

int Report(int argc, char** argv) {
  // NAME: how the verdict names the script (the author's own path, say).
  // AFTER_RESTART: the snapshot after a restart that followed the run.
  std::vector<std::string> ignored;
  std::string name = argv[2], restarted;
  for (int index = 5; index < argc; index += 2) {
    const std::string option = argv[index];
    if (index + 1 >= argc || (option != "--ignore" && option != "--name" && option != "--restarted")) return Usage();
    if (option == "--ignore")
      ignored.push_back(argv[index + 1]);
    else if (option == "--name")
      name = argv[index + 1];
    else
      restarted = argv[index + 1];
  }
  std::string script, error;
  if (!tidemark::capture::ReadWholeFile(argv[2], script)) return Fail(kUsage, std::string("cannot read ") + argv[2]);
  tidemark::capture::Snapshot before, after, afterRestart;
  if (!tidemark::capture::LoadSnapshot(argv[3], before, error) ||
      !tidemark::capture::LoadSnapshot(argv[4], after, error) ||
      (!restarted.empty() && !tidemark::capture::LoadSnapshot(restarted, afterRestart, error))) {
    return Fail(kUsage, error);
  }
  const tidemark::trial::TrialVerdict verdict =
      tidemark::trial::JudgeTrial(script, before, after, ignored, restarted.empty() ? nullptr : &afterRestart);
  std::fputs(tidemark::trial::FormatTrialVerdict(name, verdict).c_str(), stdout);
  return verdict.Passed() ? kDone : kFailed;
}

int Run(int argc, char** argv) {
  if (tidemark::tool::IsHelpRequest(argc, argv)) return tidemark::tool::PrintHelp(kHelp);
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "seed" && argc == 4) return Seed(argv[2], argv[3], false);
  if (command == "seed" && argc == 5 && std::string(argv[4]) == "--hold-files") return Seed(argv[2], argv[3], true);
  if (command == "start" && argc == 3) return Start(argv[2]);
  if (command == "report" && argc >= 5) return Report(argc, argv);
  if (command == "dummy" && argc == 2) {
    for (;;) Sleep(INFINITE);
  }
  if (command == "hold" && argc == 3) return Hold(argv[2]);
  return Usage();
}

}  // namespace

int main(int argc, char** argv) {
  return tidemark::tool::GuardedMain(kToolName, [&] { return Run(argc, argv); });
}
