// A second thread for a test that must act while its own thread waits (on a
// modal box, say). Started with CreateThread: the shipped build's compiler,
// of the win32 threads variant, has no std::thread.
#pragma once

#include <windows.h>

#include <functional>
#include <utility>

#include "system/UniqueHandle.h"

namespace tidemark::testing {

class TestThread {
 public:
  explicit TestThread(std::function<void()> body)
      : m_body(std::move(body)), m_handle(CreateThread(nullptr, 0, &TestThread::Run, this, 0, nullptr)) {}
  ~TestThread() { Join(); }
  TestThread(const TestThread&) = delete;
  TestThread& operator=(const TestThread&) = delete;

  // Waits for the body to return; at once when it never started.
  void Join() {
    if (!m_handle) return;
    WaitForSingleObject(m_handle.get(), INFINITE);
    m_handle.reset();
  }

 private:
  static DWORD WINAPI Run(void* self) {
    static_cast<TestThread*>(self)->m_body();
    return 0;
  }

  // Declared first: the body is in place before the thread can run it.
  std::function<void()> m_body;
  UniqueHandle m_handle;
};

}  // namespace tidemark::testing
