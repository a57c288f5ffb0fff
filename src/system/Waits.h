// Pauses that keep the program's windows alive, and the launcher for the
// system's command-line tools.
#pragma once

#include <windows.h>

#include <string>

namespace tidemark {

// True when Windows is Vista or later (major version 6 and above).
bool IsWindowsVistaOrLater();

// Takes at most one message for the window (or the thread, for null) and
// dispatches it.
void ProcessPendingMessage(HWND window);

// Waits until `milliseconds` have passed on the tick count, handling
// messages as they arrive: with a window, its messages one at a time; without
// one, the whole application's. A count of 0 or less returns at once.
void Delay(HWND window, int milliseconds);

// Starts the system folder's program (for example "sc"), hidden and, on
// Vista and later, with the verb "runas", and waits for it to end while the
// application's messages are handled. False when it cannot be started.
bool ShellRunAndWait(const std::string& program, const std::string& parameters);

// The same, for a program in the given folder.
bool ShellRunAndWaitIn(const std::string& folder, const std::string& program, const std::string& parameters);

}  // namespace tidemark
