#include "system/ModuleParts.h"

namespace tidemark {

std::optional<std::string_view> RcdataResource(HMODULE module, const char* name) {
  const HRSRC info = FindResourceA(module, name, MAKEINTRESOURCEA(10) /* RT_RCDATA */);
  const HGLOBAL loaded = info ? LoadResource(module, info) : nullptr;
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (bytes == nullptr) return std::nullopt;
  return std::string_view(static_cast<const char*>(bytes), SizeofResource(module, info));
}

}  // namespace tidemark
