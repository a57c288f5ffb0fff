#include "trial/TrialStart.h"

#include <windows.h>

#include <cwchar>
#include <vector>

#include "engine/StatusLines.h"
#include "system/UniqueHandle.h"
#include "trial/WindowDriver.h"
#include "ui/ControlIds.h"
#include "ui/MemoText.h"

namespace tidemark::trial {

namespace {

using driver::Click;
using driver::ControlOf;
using driver::TextOf;
using driver::WaitUntil;

constexpr DWORD kBoundMs = 120000;

struct WindowSearch {
  DWORD process;
  HWND found;
};

// Named CALLBACK functions, not lambdas: on 32-bit Windows a lambda
// converts only to a cdecl pointer, and the enumerations call stdcall.
BOOL CALLBACK FindStartWindow(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<WindowSearch*>(context);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process == search->process && IsWindowVisible(window) && ControlOf(window, ids::kBtnStart) != nullptr) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

RunEnd EndOf(const std::vector<std::string>& lines) {
  if (lines.empty()) return RunEnd::None;
  if (lines.back() == status::kRunCompleted) return RunEnd::Completed;
  if (lines.back() == status::kRunCompletesAtRestart) return RunEnd::CompletesAtRestart;
  if (lines.back() == status::kRunNotCompleted) return RunEnd::NotCompleted;
  return RunEnd::None;
}

}  // namespace

StartRun PressStart(const std::string& program) {
  StartRun run;
  std::string commandLine = "\"" + program + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started = {};
  if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &started)) {
    run.problem = "cannot start " + program + " (error " + std::to_string(GetLastError()) + ")";
    return run;
  }
  UniqueHandle process(started.hProcess);
  UniqueHandle thread(started.hThread);
  WindowSearch search{started.dwProcessId, nullptr};
  WaitUntil(
      [&] {
        EnumWindows(FindStartWindow, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
      },
      kBoundMs);
  if (search.found == nullptr) {
    run.problem = "the program showed no window with a Start button";
    TerminateProcess(process.get(), 1);
    return run;
  }
  const HWND window = search.found;
  const HWND memo = ControlOf(window, ids::kMmStatus);
  Click(window, ids::kBtnStart);
  WaitUntil(
      [&] {
        run.status = MemoLines(TextOf(memo));
        return (run.end = EndOf(run.status)) != RunEnd::None;
      },
      kBoundMs);
  if (run.end == RunEnd::None) run.problem = "the run did not end within two minutes";
  PostMessageA(window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process.get(), kBoundMs) != WAIT_OBJECT_0) {
    TerminateProcess(process.get(), 1);
    if (run.problem.empty()) run.problem = "the program did not end after its window was closed";
  }
  return run;
}

const char* RunEndName(RunEnd end) {
  switch (end) {
    case RunEnd::None: return "none";
    case RunEnd::Completed: return "complete";
    case RunEnd::CompletesAtRestart: return "complete at the restart";
    case RunEnd::NotCompleted: return "not complete";
  }
  return "";
}

std::size_t PendingFileOperations() {
  UniqueHKey key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Session Manager", 0, KEY_QUERY_VALUE,
                    key.put()) != ERROR_SUCCESS) {
    return 0;
  }
  DWORD size = 0;
  if (RegQueryValueExW(key.get(), L"PendingFileRenameOperations", nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS ||
      size == 0) {
    return 0;
  }
  std::vector<wchar_t> data(size / sizeof(wchar_t) + 2, L'\0');
  if (RegQueryValueExW(key.get(), L"PendingFileRenameOperations", nullptr, nullptr,
                       reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS) {
    return 0;
  }
  // Pairs of strings, the file and its new name (empty for a deletion), and
  // an empty string at the end of the list.
  const std::size_t length = size / sizeof(wchar_t);
  std::size_t operations = 0;
  for (std::size_t at = 0; at < length && data[at] != L'\0'; ++operations) {
    at += wcslen(data.data() + at) + 1;
    if (at < length) at += wcslen(data.data() + at) + 1;
  }
  return operations;
}

}  // namespace tidemark::trial
