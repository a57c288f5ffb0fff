// The targets' own checks: a broken property stops the run as a crash does,
// so that the driver keeps the input and its replay fails.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace tidemark::fuzz {

[[noreturn]] inline void CheckFailed(const char* condition, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: fuzz check failed: %s\n", file, line, condition);
  std::abort();
}

}  // namespace tidemark::fuzz

#define FUZZ_CHECK(condition) \
  ((condition) ? static_cast<void>(0) : ::tidemark::fuzz::CheckFailed(#condition, __FILE__, __LINE__))
