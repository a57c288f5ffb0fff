// Wall-clock and process CPU time for the benchmarks, and the time of a
// program run from its start to its end.
#pragma once

#include <windows.h>

#include <string>

#include "../tests/win/TestProcess.h"

namespace tidemark::bench {

inline double WallMs() {
  static const LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// User plus kernel time of this process so far.
inline double CpuMs() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  auto ms = [](const FILETIME& t) {
    return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 10000.0;
  };
  return ms(kernel) + ms(user);
}

template <typename Work>
double TimeMs(Work&& work) {
  const double start = WallMs();
  work();
  return WallMs() - start;
}

// Runs the command line to its end, without a console window and with its
// output sent to NUL, and returns the wall time from the start of the
// process to its end (-1 when it cannot start). The exit code goes to
// `exitCode` when one is asked for.
inline double TimeProgram(const std::string& commandLine, long* exitCode = nullptr) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  UniqueFile nul(
      CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr));
  const double start = WallMs();
  testing::TestProcess program("", commandLine, testing::TestProcess::Options{nul.get(), CREATE_NO_WINDOW});
  const long code = program.WaitForExit(INFINITE);
  const double elapsed = WallMs() - start;
  if (exitCode) *exitCode = code;
  return program.Started() ? elapsed : -1;
}

}  // namespace tidemark::bench
