#include "system/Waits.h"

#include <shellapi.h>

#include <cmath>

#include "system/MessagePump.h"
#include "system/UniqueHandle.h"

namespace tidemark {

namespace {

// The local wall clock in milliseconds. Pauses follow the local clock, so a
// change of the system time moves a pause's end by the same amount.
double LocalClockMs() {
  SYSTEMTIME local;
  GetLocalTime(&local);
  FILETIME asFileTime;
  SystemTimeToFileTime(&local, &asFileTime);
  ULARGE_INTEGER ticks;
  ticks.LowPart = asFileTime.dwLowDateTime;
  ticks.HighPart = asFileTime.dwHighDateTime;
  return static_cast<double>(ticks.QuadPart / 10000);
}

// Sleeps until a message arrives for the thread, the handle (if any) is
// signalled, or the time-out passes. MWMO_INPUTAVAILABLE makes it return at
// once for messages that are already queued, not only for new ones.
void WaitForInputOr(HANDLE handle, DWORD timeoutMs) {
  MsgWaitForMultipleObjectsEx(handle ? 1 : 0, handle ? &handle : nullptr, timeoutMs, QS_ALLINPUT,
                              MWMO_INPUTAVAILABLE);
}

}  // namespace

bool IsWindowsVistaOrLater() {
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof version;
  GetVersionExA(&version);
  return version.dwMajorVersion >= 6;
}

void ProcessPendingMessage(HWND window) {
  MSG message;
  if (PeekMessageA(&message, window, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

void Delay(HWND window, int milliseconds) {
  const double deadline = LocalClockMs() + milliseconds;
  for (;;) {
    if (LocalClockMs() >= deadline) return;
    if (window != nullptr) {
      ProcessPendingMessage(window);
    } else {
      MessagePump::Instance().DrainMessageQueue();
    }
    const double remaining = deadline - LocalClockMs();
    if (remaining > 0) WaitForInputOr(nullptr, static_cast<DWORD>(std::ceil(remaining)));
  }
}

bool ShellRunAndWait(const std::string& program, const std::string& parameters) {
  // The program is elevated: a bare "sc" would let the shell's search find a
  // planted sc.exe in the program's own or the current folder first.
  char systemFolder[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryA(systemFolder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  return ShellRunAndWaitIn(systemFolder, program, parameters);
}

bool ShellRunAndWaitIn(const std::string& folder, const std::string& program,
                       const std::string& parameters) {
  const std::string file = folder + "\\" + program + ".exe";
  SHELLEXECUTEINFOA launch = {};
  launch.cbSize = sizeof launch;
  launch.fMask = SEE_MASK_NOCLOSEPROCESS;
  launch.hwnd = MessagePump::Instance().ApplicationWindow();
  launch.lpVerb = IsWindowsVistaOrLater() ? "runas" : nullptr;
  launch.lpFile = file.c_str();
  launch.lpParameters = parameters.c_str();
  launch.nShow = SW_HIDE;
  if (!ShellExecuteExA(&launch)) return false;

  UniqueHandle process(launch.hProcess);
  if (!process) return true;  // nothing to wait for: counts as ended
  MessagePump& pump = MessagePump::Instance();
  for (;;) {
    pump.DrainMessageQueue();
    // The handle is signalled when the process has ended, whatever its exit
    // code (259, STILL_ACTIVE, included).
    if (WaitForSingleObject(process.get(), 0) != WAIT_TIMEOUT) return true;
    if (pump.Terminating()) return true;  // the started program keeps running
    WaitForInputOr(process.get(), INFINITE);
  }
}

}  // namespace tidemark
