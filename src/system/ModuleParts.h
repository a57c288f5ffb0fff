// The parts of a module that the program reads at run time: a function that
// ntdll exports, and an RCDATA resource of a module.
#pragma once

#include <windows.h>

#include <optional>
#include <string_view>

namespace tidemark {

// The address of a function that ntdll exports, or nullptr. ntdll is in
// every process from its start; its native functions are looked up rather
// than imported, as the import libraries declare no import of most of them
// for user programs.
template <typename Function>
Function NtdllFunction(const char* name) {
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  // Through void (*)(), which converts to any function pointer type.
  return ntdll ? reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(ntdll, name))) : nullptr;
}

// The bytes of the module's RCDATA resource of that name, in the language
// the resource functions choose; nothing when it is missing. Module
// resources stay mapped while the module is loaded and need no release.
std::optional<std::string_view> RcdataResource(HMODULE module, const char* name);

}  // namespace tidemark
