// Pressing Start in the real program (Windows), as a user would: start it,
// wait for its window, click Start, wait for the run's last status line (one
// of the three a run ends with), close the window.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace tidemark::trial {

// Which last line the run posted.
enum class RunEnd {
  None,                // none: the run did not end, or there is no status list
  Completed,           // the removal is complete
  CompletesAtRestart,  // everything still there goes at the next restart
  NotCompleted,        // something is still there and nothing will remove it
};

struct StartRun {
  RunEnd end = RunEnd::None;
  std::string problem;              // why the run did not end, when it did not
  std::vector<std::string> status;  // the status list at the end
};

StartRun PressStart(const std::string& program);

// How the trial's output names the end: "complete", "complete at the
// restart", "not complete" (and "none").
const char* RunEndName(RunEnd end);

// The number of file operations that the session manager carries out at the
// next restart (PendingFileRenameOperations): each deletion the run
// scheduled is one.
std::size_t PendingFileOperations();

}  // namespace tidemark::trial
