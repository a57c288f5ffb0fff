// A program that a test (or a benchmark) starts with CreateProcessA. The
// object owns the process handle and ends the process when it goes if it is
// still running, so a failed expectation never leaves a program behind to
// lock files or answer to a name in a later case.
#pragma once

#include <windows.h>

#include <string>
#include <utility>

#include "system/UniqueHandle.h"

namespace tidemark::testing {

class TestProcess {
 public:
  struct Options {
    // Standard output and error of the program, inherited by it; null leaves
    // the program this process's own.
    HANDLE output = nullptr;
    DWORD creationFlags = 0;
    // A job object for the program to run in from its first instruction;
    // the processes it starts join the job too, so ending the job ends the
    // programs that it starts as well.
    HANDLE job = nullptr;
  };

  TestProcess() = default;

  // Starts the command line; `program` is the file to run, or empty to let
  // CreateProcessA take it from the command line (and search the path).
  TestProcess(const std::string& program, std::string commandLine, const Options& options) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (options.output) {
      startup.dwFlags = STARTF_USESTDHANDLES;
      startup.hStdOutput = options.output;
      startup.hStdError = options.output;
    }
    PROCESS_INFORMATION started = {};
    const DWORD flags = options.creationFlags | (options.job ? CREATE_SUSPENDED : 0);
    if (CreateProcessA(program.empty() ? nullptr : program.c_str(), commandLine.data(), nullptr, nullptr,
                       options.output ? TRUE : FALSE, flags, nullptr, nullptr, &startup, &started)) {
      UniqueHandle thread(started.hThread);
      m_process.reset(started.hProcess);
      m_id = started.dwProcessId;
      m_started = true;
      if (options.job) {
        // Started suspended so that it cannot start anything outside the
        // job; one that cannot join it does not count as started.
        if (!AssignProcessToJobObject(options.job, started.hProcess)) {
          End();
          m_started = false;
        } else if ((options.creationFlags & CREATE_SUSPENDED) == 0) {
          ResumeThread(thread.get());
        }
      }
    }
  }
  TestProcess(const std::string& program, std::string commandLine)
      : TestProcess(program, std::move(commandLine), Options{}) {}

  ~TestProcess() { End(); }
  TestProcess(const TestProcess&) = delete;
  TestProcess& operator=(const TestProcess&) = delete;
  TestProcess(TestProcess&& other) noexcept
      : m_process(std::move(other.m_process)),
        m_id(std::exchange(other.m_id, 0)),
        m_started(std::exchange(other.m_started, false)) {}
  TestProcess& operator=(TestProcess&& other) noexcept {
    if (this != &other) {
      End();
      m_process = std::move(other.m_process);
      m_id = std::exchange(other.m_id, 0);
      m_started = std::exchange(other.m_started, false);
    }
    return *this;
  }

  // Whether CreateProcessA succeeded: for a Linux program Wine may give no
  // process handle at all.
  bool Started() const { return m_started; }
  DWORD Id() const { return m_id; }
  HANDLE Handle() const { return m_process.get(); }
  bool Running() const { return m_process && WaitForSingleObject(m_process.get(), 0) == WAIT_TIMEOUT; }

  // True once the process has ended, waiting for it at most the bound.
  bool WaitEnded(DWORD boundMs = 60000) const {
    return m_process && WaitForSingleObject(m_process.get(), boundMs) == WAIT_OBJECT_0;
  }

  // The exit code once the process has ended within the bound, else -1.
  long WaitForExit(DWORD boundMs = 60000) const {
    if (!WaitEnded(boundMs)) return -1;
    DWORD code = 0;
    GetExitCodeProcess(m_process.get(), &code);
    return static_cast<long>(code);
  }

  // Terminates the process if it still runs, waits a bounded while for its
  // end and lets the handle go.
  void End(UINT exitCode = 99) {
    if (Running()) {
      TerminateProcess(m_process.get(), exitCode);
      WaitForSingleObject(m_process.get(), 10000);
    }
    m_process.reset();
  }

  // Lets the handle go and leaves the process alone: Wine gives a handle for
  // a Linux program that never signals, so such a program must not be ended
  // through it.
  void Abandon() { m_process.reset(); }

 private:
  UniqueHandle m_process;
  DWORD m_id = 0;
  bool m_started = false;
};

}  // namespace tidemark::testing
