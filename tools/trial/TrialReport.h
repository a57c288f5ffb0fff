// The verdict of a sandbox trial: what a run of the program did with each
// entry of the script, judged from snapshots taken just before and just
// after the run, and every change it made outside what the script names.
// Pure logic: the snapshots come from tidemark-capture.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "capture/Snapshot.h"

namespace tidemark::trial {

enum class Outcome {
  Removed,      // it was there before the run and is gone
  Left,         // it was there before the run and still is
  Refused,      // the program refuses the entry (the checker reports an error on it)
  NothingToDo,  // there was nothing of that name before the run
  Off,          // the Start button does not run the entry's step
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
  std::size_t removed = 0;
  std::size_t left = 0;
  bool Passed() const { return left == 0 && outside.empty(); }
};

// `ignoredFolders`: folders whose changes are the trial's own (its snapshots
// and tools), not the program's.
TrialVerdict JudgeTrial(std::string_view script, const capture::Snapshot& before, const capture::Snapshot& after,
                        const std::vector<std::string>& ignoredFolders);

// "SCRIPT:LINE: removed: [FILE] value (detail)" per entry, then "outside the
// script: ..." per change, then "N removed, M left, K changed outside the
// script".
std::string FormatTrialVerdict(std::string_view scriptName, const TrialVerdict& verdict);

const char* OutcomeName(Outcome outcome);

}  // namespace tidemark::trial
