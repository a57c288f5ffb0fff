// The verdict of a sandbox trial: what a run of the program did with each
// entry of the script, judged from snapshots taken just before and just
// after the run (and, when the run left deletions for the next restart, after
// that restart), and every change it made outside what the script names.
// Pure logic: the snapshots come from tidemark-capture.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "capture/Snapshot.h"

namespace tidemark::trial {

enum class Outcome {
  Removed,           // it was there before the run and is gone
  RemovedAtRestart,  // it was still there after the run and went at the restart
  Left,              // it was there before the run and still is (after the restart, when there was one)
  Refused,           // the program refuses the entry (the checker reports an error on it)
  NothingToDo,       // there was nothing of that name before the run
  Off,               // the Start button does not run the entry's step
};

struct EntryVerdict {
  std::size_t line;
  std::string section;
  std::string value;  // as the script writes it
  Outcome outcome;
  std::string detail;  // what was looked at: the expanded path or key
};

struct TrialVerdict {
  std::vector<EntryVerdict> entries;
  std::vector<std::string> outside;  // one line per change outside the script
  std::size_t removed = 0;           // at once or at the restart
  std::size_t left = 0;
  bool Passed() const { return left == 0 && outside.empty(); }
};

// `ignoredFolders`: folders whose changes are the trial's own (its snapshots
// and tools), not the program's. `afterRestart`: when the trial restarted the
// machine after the run (so that Windows carried out the deletions the run
// scheduled), the snapshot taken after the restart; `after` is then the one
// taken between the run and the restart. The entries are judged by the last
// snapshot, but processes by `after` (the restart ends every process). Of
// the changes outside the script, removed files and folders are judged by
// the last snapshot (a deletion the run scheduled shows only after the
// restart), everything else by `after`: the rest of what a restart changes
// is Windows' own doing.
TrialVerdict JudgeTrial(std::string_view script, const capture::Snapshot& before, const capture::Snapshot& after,
                        const std::vector<std::string>& ignoredFolders,
                        const capture::Snapshot* afterRestart = nullptr);

// "SCRIPT:LINE: removed: [FILE] value (detail)" per entry, then "outside the
// script: ..." per change, then "N removed, M left, K changed outside the
// script".
std::string FormatTrialVerdict(std::string_view scriptName, const TrialVerdict& verdict);

const char* OutcomeName(Outcome outcome);

}  // namespace tidemark::trial
