// Reading a module's export names from its file bytes, without loading it.
// Loading a DLL runs its entry point; the removal must not run the code of
// the program it removes inside its own elevated process.
#pragma once

#include <cstdint>
#include <string_view>

namespace tidemark {

inline constexpr std::uint16_t kMachineI386 = 0x014C;
inline constexpr std::uint16_t kMachineAmd64 = 0x8664;

// True when the bytes are a PE image for the given machine whose export
// table names the function. Any malformed or truncated structure gives false.
bool PeImageExports(std::string_view image, std::uint16_t machine, std::string_view function);

}  // namespace tidemark
