#include "trial/TrialStart.h"

#include <windows.h>

#include <functional>

#include "engine/StatusLines.h"
#include "system/UniqueHandle.h"
#include "ui/ControlIds.h"
#include "ui/MemoText.h"

namespace tidemark::trial {

namespace {

constexpr DWORD kBoundMs = 120000;

bool WaitUntil(const std::function<bool()>& condition, DWORD boundMs) {
  const ULONGLONG end = GetTickCount64() + boundMs;
  while (!condition()) {
    if (GetTickCount64() >= end) return false;
    Sleep(50);
  }
  return true;
}

struct ControlSearch {
  int id;
  HWND found;
};

BOOL CALLBACK FindControl(HWND child, LPARAM context) {
  auto* search = reinterpret_cast<ControlSearch*>(context);
  if (GetDlgCtrlID(child) != search->id) return TRUE;
  search->found = child;
  return FALSE;
}

// The control with the id anywhere in the window's tree (the status list
// sits inside a group box).
HWND ControlOf(HWND window, int id) {
  ControlSearch search{id, nullptr};
  EnumChildWindows(window, FindControl, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

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

std::string TextOf(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) return {};
  std::string text(length + 1, '\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                           5000, &copied)) {
    return {};
  }
  text.resize(copied);
  return text;
}

bool EndsWithLastLine(const std::vector<std::string>& lines) {
  return !lines.empty() && (lines.back() == status::kRunCompleted || lines.back() == status::kRunNotCompleted);
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
  PostMessageA(window, WM_COMMAND, MAKEWPARAM(ids::kBtnStart, BN_CLICKED),
               reinterpret_cast<LPARAM>(ControlOf(window, ids::kBtnStart)));
  WaitUntil([&] { return EndsWithLastLine(run.status = MemoLines(TextOf(memo))); }, kBoundMs);
  run.completed = !run.status.empty() && run.status.back() == status::kRunCompleted;
  if (!EndsWithLastLine(run.status)) run.problem = "the run did not end within two minutes";
  PostMessageA(window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process.get(), kBoundMs) != WAIT_OBJECT_0) {
    TerminateProcess(process.get(), 1);
    if (run.problem.empty()) run.problem = "the program did not end after its window was closed";
  }
  return run;
}

}  // namespace tidemark::trial
