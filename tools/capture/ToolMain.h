// What the mains of tidemark-capture and tidemark-trial share: their exit
// codes, and the guard that turns an exception escaping a command into a
// message and a failure.
#pragma once

#include <cstdio>
#include <exception>

namespace tidemark::tool {

inline constexpr int kDone = 0;
inline constexpr int kFailed = 1;  // the command did not succeed, or the trial did not pass
inline constexpr int kUsage = 2;   // a wrong command line, or input that cannot be read

template <typename Run>
int GuardedMain(const char* toolName, Run run) {
  try {
    return run();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s: %s\n", toolName, error.what());
    return kFailed;
  }
}

}  // namespace tidemark::tool
