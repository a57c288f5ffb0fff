#include "system/MessagePump.h"

namespace tidemark {

MessagePump& MessagePump::Instance() {
  static MessagePump pump;
  return pump;
}

void MessagePump::MarkTerminating(int exitCode) {
  m_terminating = true;
  m_exitCode = exitCode;
}

void MessagePump::Dispatch(MSG& message) {
  if (m_router && m_router(message)) return;
  TranslateMessage(&message);
  DispatchMessageA(&message);
}

void MessagePump::RunLoop(const std::function<bool()>& keepGoing) {
  while (keepGoing() && !m_terminating) {
    MSG message;
    const BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == -1) return;
    if (got == 0) {
      MarkTerminating(static_cast<int>(message.wParam));
      return;
    }
    Dispatch(message);
  }
}

void MessagePump::DrainMessageQueue() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      MarkTerminating(static_cast<int>(message.wParam));
      continue;
    }
    Dispatch(message);
  }
}

}  // namespace tidemark
