// The application's message processing, shared by the main loop and by every
// wait that keeps the windows alive while it waits.
#pragma once

#include <windows.h>

#include <functional>

namespace tidemark {

class MessagePump {
 public:
  // Gives the application a first look at each message (dialog keys and the
  // like); returns true when it consumed the message.
  using Router = std::function<bool(MSG&)>;

  static MessagePump& Instance();

  void SetRouter(Router router) { m_router = std::move(router); }

  // Takes every message pending for this thread, routes, translates and
  // dispatches it, and returns when the queue is empty, without waiting for
  // new ones. A quit message is not dispatched: it marks the application as
  // terminating, and since it has been taken out of the queue, the main loop
  // must look at Terminating() instead of waiting for it.
  void DrainMessageQueue();

  // Routes and dispatches one message taken by the main loop.
  void Dispatch(MSG& message);

  // Waits for and dispatches messages while `keepGoing` holds and the
  // application is not terminating. A quit message taken here marks the
  // application as terminating, so every loop, nested or not, then ends.
  void RunLoop(const std::function<bool()>& keepGoing);

  bool Terminating() const { return m_terminating; }
  int ExitCode() const { return m_exitCode; }
  void MarkTerminating(int exitCode);
  // Starts over as a running application (a new message loop in the same
  // process, as the tests make).
  void ClearTerminating() {
    m_terminating = false;
    m_exitCode = 0;
  }

  // The hidden window that owns the forms; the launcher's owner window.
  HWND ApplicationWindow() const { return m_applicationWindow; }
  void SetApplicationWindow(HWND window) { m_applicationWindow = window; }

 private:
  MessagePump() = default;

  Router m_router;
  bool m_terminating = false;
  int m_exitCode = 0;
  HWND m_applicationWindow = nullptr;
};

}  // namespace tidemark
