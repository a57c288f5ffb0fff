// Pressing Start in the real program (Windows), as a user would: start it,
// wait for its window, click Start, wait for the run's last status line,
// close the window.
#pragma once

#include <string>
#include <vector>

namespace tidemark::trial {

struct StartRun {
  bool completed = false;           // the run posted its completion line
  std::string problem;              // why there is no status list, when there is none
  std::vector<std::string> status;  // the status list at the end
};

StartRun PressStart(const std::string& program);

}  // namespace tidemark::trial
