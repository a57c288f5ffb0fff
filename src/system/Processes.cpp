#include "system/Processes.h"

#include <algorithm>

#include "system/Cp949Text.h"
#include "system/MessagePump.h"
#include "system/ModuleParts.h"
#include "system/UniqueHandle.h"

namespace tidemark {

namespace {

// How long new instances are looked for after the first ones were ended,
// and how long after that the terminated ones are waited for at most.
constexpr ULONGLONG kRoundsBoundMs = 2000;
constexpr ULONGLONG kEndWaitBoundMs = 3000;

// SYNCHRONIZE to wait for the end, PROCESS_SUSPEND_RESUME to freeze the
// process before any of its partners is terminated.
constexpr DWORD kEndAccess = SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_SUSPEND_RESUME;

using NtProcessFunction = LONG(NTAPI*)(HANDLE);

// NtSuspendProcess and NtResumeProcess stop and restart every thread of a
// process at once; the Win32 API has only the per-thread forms, which would
// race with the threads the process keeps creating.
NtProcessFunction NtdllProcessFunction(const char* name) { return NtdllFunction<NtProcessFunction>(name); }

// An NTSTATUS: success and information codes are not negative.
bool SuspendProcess(HANDLE process) {
  static const NtProcessFunction suspend = NtdllProcessFunction("NtSuspendProcess");
  return suspend && suspend(process) >= 0;
}

void ResumeProcess(HANDLE process) {
  static const NtProcessFunction resume = NtdllProcessFunction("NtResumeProcess");
  if (resume) resume(process);
}

bool MatchesAny(const std::string& image, const std::vector<std::string>& imageNames) {
  return std::any_of(imageNames.begin(), imageNames.end(),
                     [&image](const std::string& name) { return EqualsIgnoreCaseCp949(image, name); });
}

// A process found under one of the names. Its handle stays open to the end:
// while it is open, Windows does not give the identifier to a new process,
// so a later snapshot's entry with that identifier is this same process.
struct Found {
  DWORD id = 0;
  UniqueHandle process;
  bool suspended = false;
  bool terminated = false;
  bool waitable = false;  // opened with SYNCHRONIZE
};

bool HasEnded(const Found& found) {
  if (!found.terminated || !found.waitable) return true;  // nothing to wait for
  return WaitForSingleObject(found.process.get(), 0) != WAIT_TIMEOUT;
}

// Waits until the process has ended or the deadline has passed, handling the
// application's messages meanwhile as a pause does, so that the window
// repaints and answers while a slow process goes. MWMO_INPUTAVAILABLE makes
// the wait return at once for messages already queued, not only new ones.
void WaitForEnd(HANDLE process, ULONGLONG deadline) {
  MessagePump& pump = MessagePump::Instance();
  for (;;) {
    if (WaitForSingleObject(process, 0) != WAIT_TIMEOUT) return;
    pump.DrainMessageQueue();
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline || pump.Terminating()) return;
    MsgWaitForMultipleObjectsEx(1, &process, static_cast<DWORD>(deadline - now), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
}

// One at a time: the end of all of them is the end of each, and a wait for
// several handles at once is limited to 63 of them beside the messages.
void WaitForEnds(const std::vector<Found>& found, ULONGLONG deadline) {
  for (const Found& each : found) {
    if (!HasEnded(each)) WaitForEnd(each.process.get(), deadline);
  }
}

bool AllEnded(const std::vector<Found>& found) { return std::all_of(found.begin(), found.end(), HasEnded); }

// Whether a process of the names other than this one runs now.
bool AnyOtherRuns(const std::vector<std::string>& imageNames) {
  const DWORD self = GetCurrentProcessId();
  bool runs = false;
  ForEachProcess([&](std::uint32_t id, const std::string& image) {
    if (id != self && MatchesAny(image, imageNames)) runs = true;
  });
  return runs;
}

bool Known(const std::vector<Found>& found, DWORD id) {
  return std::any_of(found.begin(), found.end(), [id](const Found& each) { return each.id == id; });
}

}  // namespace

void ForEachProcess(const std::function<void(std::uint32_t id, const std::string& imageName)>& found) {
  UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return;
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot.get(), &entry); more; more = Process32Next(snapshot.get(), &entry)) {
    found(entry.th32ProcessID, entry.szExeFile);
  }
}

std::vector<std::uint32_t> FindProcessIds(const std::string& imageName) {
  std::vector<std::uint32_t> ids;
  ForEachProcess([&](std::uint32_t id, const std::string& image) {
    if (EqualsIgnoreCaseCp949(image, imageName)) ids.push_back(id);
  });
  return ids;
}

int CountProcesses(const std::string& imageName) { return static_cast<int>(FindProcessIds(imageName).size()); }

std::uint32_t FindProcessId(const std::string& imageName) {
  const std::vector<std::uint32_t> ids = FindProcessIds(imageName);
  return ids.empty() ? kNoProcess : ids.front();
}

std::vector<std::string> RunningImageNames(const std::vector<std::string>& imageNames) {
  const DWORD self = GetCurrentProcessId();
  std::vector<bool> running(imageNames.size(), false);
  ForEachProcess([&](std::uint32_t id, const std::string& image) {
    if (id == self) return;
    for (std::size_t i = 0; i < imageNames.size(); ++i) {
      if (EqualsIgnoreCaseCp949(image, imageNames[i])) running[i] = true;
    }
  });
  std::vector<std::string> names;
  for (std::size_t i = 0; i < imageNames.size(); ++i) {
    if (running[i]) names.push_back(imageNames[i]);
  }
  return names;
}

bool OtherProcessRuns(const std::string& imageName) {
  const DWORD self = GetCurrentProcessId();
  bool runs = false;
  ForEachProcess([&](std::uint32_t id, const std::string& image) {
    if (id != self && EqualsIgnoreCaseCp949(image, imageName)) runs = true;
  });
  return runs;
}

void KillProcessByName(const std::string& imageName) {
  const DWORD self = GetCurrentProcessId();
  for (const std::uint32_t id : FindProcessIds(imageName)) {
    if (id == self) continue;
    UniqueHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, id));
    if (process) TerminateProcess(process.get(), 0);
  }
}

bool EndProcessesByName(const std::vector<std::string>& imageNames) {
  if (imageNames.empty()) return true;
  const DWORD self = GetCurrentProcessId();
  const ULONGLONG roundsDeadline = GetTickCount64() + kRoundsBoundMs;
  std::vector<Found> found;
  std::vector<DWORD> unopened;  // passed over; their identifiers are not held
  bool settled = false;
  for (;;) {
    // A snapshot taken after every terminated process has ended is final
    // when it shows no new instance: none is left that could start another.
    const bool endedBefore = AllEnded(found);
    const std::size_t firstNew = found.size();
    ForEachProcess([&](std::uint32_t id, const std::string& image) {
      // Suspending this process would never come back.
      if (id == self || !MatchesAny(image, imageNames)) return;
      if (Known(found, id) || std::find(unopened.begin(), unopened.end(), id) != unopened.end()) return;
      Found process;
      process.id = id;
      process.process.reset(OpenProcess(kEndAccess, FALSE, id));
      process.waitable = process.process.valid();
      // A process whose security grants termination alone is still ended,
      // only neither frozen first nor waited for.
      if (!process.process) process.process.reset(OpenProcess(PROCESS_TERMINATE, FALSE, id));
      if (!process.process) {
        unopened.push_back(id);
        return;
      }
      found.push_back(std::move(process));
    });
    if (found.size() == firstNew && endedBefore) {
      settled = true;
      break;
    }
    // Every new instance is frozen before any is terminated: programs that
    // watch each other and start a missing partner again then never see a
    // partner go while they can still act.
    for (std::size_t i = firstNew; i < found.size(); ++i) found[i].suspended = SuspendProcess(found[i].process.get());
    for (std::size_t i = firstNew; i < found.size(); ++i) {
      Found& process = found[i];
      process.terminated = TerminateProcess(process.process.get(), 0) != FALSE;
      // One that cannot be ended is left running as it was, not frozen.
      if (!process.terminated && process.suspended) ResumeProcess(process.process.get());
    }
    if (GetTickCount64() >= roundsDeadline) break;
    if (found.size() == firstNew) WaitForEnds(found, roundsDeadline);
  }
  // The file step comes next: a program file stays in use until its process
  // has really ended, which for a terminated process takes a little while.
  WaitForEnds(found, GetTickCount64() + kEndWaitBoundMs);
  const bool allTerminated = unopened.empty() && std::all_of(found.begin(), found.end(),
                                                             [](const Found& process) { return process.terminated; });
  if (settled && allTerminated) return true;
  return !AnyOtherRuns(imageNames);
}

}  // namespace tidemark
