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

// Terminates every running process of that image name except this one: a
// copy left running would keep its program file locked. Failures are
// ignored.
void KillProcessByName(const std::string& imageName);

}  // namespace tidemark
