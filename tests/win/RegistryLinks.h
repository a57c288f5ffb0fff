// Registry symbolic links for the registry tests: a link key is made with
// REG_OPTION_CREATE_LINK and holds one REG_LINK value "SymbolicLinkValue",
// the absolute NT name of its target in UTF-16 without a terminating zero.
// Opened without REG_OPTION_OPEN_LINK, a link gives its target.
#pragma once

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "system/UniqueHandle.h"

namespace tidemark::testing {

// The NT name of an existing key as the registry itself knows it, after any
// WoW64 redirection of the caller's view (a 32-bit process that names
// "Software\X" may be given "Software\WOW6432Node\X"): NtQueryKey with
// KeyNameInformation. Empty when the key cannot be opened.
inline std::wstring RegistryNtName(HKEY root, const std::string& path) {
  using NtQueryKeyFunction = LONG(NTAPI*)(HANDLE, int, void*, ULONG, ULONG*);
  const auto ntQueryKey = reinterpret_cast<NtQueryKeyFunction>(
      reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryKey")));
  UniqueHKey key;
  if (!ntQueryKey || RegOpenKeyExA(root, path.c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) return {};
  constexpr int kKeyNameInformation = 3;  // a ULONG length in bytes, then the name
  std::vector<BYTE> info(4096);
  ULONG length = 0;
  if (ntQueryKey(key.get(), kKeyNameInformation, info.data(), static_cast<ULONG>(info.size()), &length) < 0) return {};
  ULONG nameBytes = 0;
  std::memcpy(&nameBytes, info.data(), sizeof nameBytes);
  return std::wstring(reinterpret_cast<const wchar_t*>(info.data() + sizeof nameBytes), nameBytes / sizeof(wchar_t));
}

// Makes `path` below the root a volatile link to the existing key `target`
// (below the same root, in the caller's view); false when a step fails.
inline bool CreateRegistryLink(HKEY root, const std::string& path, const std::string& target) {
  const std::wstring name = RegistryNtName(root, target);
  if (name.empty()) return false;
  UniqueHKey link;
  if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_CREATE_LINK | REG_OPTION_VOLATILE,
                      KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, link.put(), nullptr) != ERROR_SUCCESS) {
    return false;
  }
  return RegSetValueExW(link.get(), L"SymbolicLinkValue", 0, REG_LINK, reinterpret_cast<const BYTE*>(name.data()),
                        static_cast<DWORD>(name.size() * sizeof(wchar_t))) == ERROR_SUCCESS;
}

// Whether the link key itself (not its target) exists.
inline bool RegistryLinkExists(HKEY root, const std::string& path) {
  UniqueHKey key;
  return RegOpenKeyExA(root, path.c_str(), REG_OPTION_OPEN_LINK, KEY_QUERY_VALUE, key.put()) == ERROR_SUCCESS;
}

// Deletes exactly the key behind the handle (opened with DELETE access): for
// a handle opened with REG_OPTION_OPEN_LINK, the link itself. Fails while the
// key has subkeys.
inline bool DeleteOpenKey(HKEY key) {
  using NtDeleteKeyFunction = LONG(NTAPI*)(HANDLE);
  const auto ntDeleteKey = reinterpret_cast<NtDeleteKeyFunction>(
      reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtDeleteKey")));
  return ntDeleteKey && ntDeleteKey(key) >= 0;
}

// Removes a link left behind by a failed test; RegDeleteTreeA would follow it.
inline void DeleteRegistryLink(HKEY root, const std::string& path) {
  UniqueHKey key;
  if (RegOpenKeyExA(root, path.c_str(), REG_OPTION_OPEN_LINK, DELETE, key.put()) == ERROR_SUCCESS) {
    DeleteOpenKey(key.get());
  }
}

}  // namespace tidemark::testing
