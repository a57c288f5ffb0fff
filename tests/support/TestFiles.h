// Small helpers shared by the tests.
#pragma once

#include <fstream>
#include <iterator>
#include <string>

namespace tidemark::testing {

inline std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::string DefaultScriptBytes() { return ReadWholeFile(TIDEMARK_DEFAULT_SCRIPT); }

}  // namespace tidemark::testing
