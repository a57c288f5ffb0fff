#include "system/Waits.h"

#include <shellapi.h>

#include "system/MessagePump.h"
#include "system/UniqueHandle.h"

namespace tidemark {

namespace {

// Pauses follow the tick count, which only moves forward: a change of the
// system time or of daylight saving must not stretch or cut a pause.
ULONGLONG MonotonicMs() { return GetTickCount64(); }

// Sleeps until a message arrives for the thread, the handle (if any) is
// signalled, or the time-out passes. MWMO_INPUTAVAILABLE makes it return at
// once for messages that are already queued, not only for new ones.
void WaitForInputOr(HANDLE handle, DWORD timeoutMs) {
  MsgWaitForMultipleObjectsEx(handle ? 1 : 0, handle ? &handle : nullptr, timeoutMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
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
  if (milliseconds <= 0) return;
  const ULONGLONG length = static_cast<ULONGLONG>(milliseconds);
  const ULONGLONG start = MonotonicMs();
  for (;;) {
    const ULONGLONG elapsed = MonotonicMs() - start;
    if (elapsed >= length) return;
    if (window != nullptr) {
      ProcessPendingMessage(window);
    } else {
      MessagePump::Instance().DrainMessageQueue();
    }
    // What is left of the pause, never more than the pause itself: it fits a
    // DWORD and can never become INFINITE.
    const ULONGLONG now = MonotonicMs() - start;
    if (now < length) WaitForInputOr(nullptr, static_cast<DWORD>(length - now));
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

bool ShellRunAndWaitIn(const std::string& folder, const std::string& program, const std::string& parameters) {
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
