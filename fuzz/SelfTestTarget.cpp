// A target that fails on purpose, for the driver's own tests: an input that
// starts with "boom" breaks a check, every other input passes.
#include <cstdint>
#include <cstring>

#include "FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FUZZ_CHECK(!(size >= 4 && std::memcmp(data, "boom", 4) == 0));
  return 0;
}
