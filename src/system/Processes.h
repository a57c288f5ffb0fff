// Finding and ending running programs by their image file name.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tidemark {

inline constexpr std::uint32_t kNoProcess = 0xFFFFFFFF;

// The identifier of the first process in a snapshot whose image file name
// equals the name, ASCII letters compared without regard to case; kNoProcess
// when none matches. Snapshot names carry no folder, so a name with one
// never matches.
std::uint32_t FindProcessId(const std::string& imageName);

// Calls `found` with the identifier and image file name of each process of
// one process snapshot, in snapshot order: the one snapshot walk.
void ForEachProcess(const std::function<void(std::uint32_t id, const std::string& imageName)>& found);

// The identifiers of every process of that image name, in snapshot order.
std::vector<std::uint32_t> FindProcessIds(const std::string& imageName);

// How many processes of that image name run now, matched as FindProcessIds
// matches them.
int CountProcesses(const std::string& imageName);

// True when a process of that image name other than this one runs now: what
// EndProcessesByName can have left. This process never counts, because
// nothing here ends it; it goes with its window.
bool OtherProcessRuns(const std::string& imageName);

// The names of the list, in list order, that OtherProcessRuns would call
// running, from one snapshot.
std::vector<std::string> RunningImageNames(const std::vector<std::string>& imageNames);

// Terminates every running process of that image name except this one: a
// copy left running would keep its program file locked. Does not wait for
// their end. Failures are ignored.
void KillProcessByName(const std::string& imageName);

// Ends every running process of the named images except this one, also
// programs that start each other again: every instance found is suspended
// before any is terminated, and new instances are looked for until none
// appears or about two seconds have passed. Then waits, a few seconds at
// most, until the terminated processes have ended, so that their program
// files are no longer in use; the application's messages are handled
// meanwhile, as in a pause. A process that cannot be opened or terminated is
// passed over, and left running as it was. True when, at the end, no process
// of the names runs but this one.
bool EndProcessesByName(const std::vector<std::string>& imageNames);

}  // namespace tidemark
