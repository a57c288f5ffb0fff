// Registry symbolic links for the registry tests: a link key is made with
// REG_OPTION_CREATE_LINK and holds one REG_LINK value "SymbolicLinkValue",
// the absolute NT name of its target in UTF-16 without a terminating zero.
// Opened without REG_OPTION_OPEN_LINK, a link gives its target.
#pragma once

#include <windows.h>
#include <sddl.h>

#include <string>
#include <vector>

#include "system/UniqueHandle.h"

namespace tidemark::testing {

// The NT name of a root, under which link targets are written:
// HKEY_LOCAL_MACHINE is \Registry\Machine, HKEY_CURRENT_USER is
// \Registry\User\<the SID of the process token's user>.
inline std::wstring RegistryRootNtName(HKEY root) {
  if (root == HKEY_LOCAL_MACHINE) return L"\\Registry\\Machine";
  UniqueHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put())) return {};
  DWORD size = 0;
  GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
  std::vector<BYTE> user(size);
  if (!GetTokenInformation(token.get(), TokenUser, user.data(), size, &size)) return {};
  LPWSTR text = nullptr;
  if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid, &text)) return {};
  const UniqueResource<LocalMemoryTraits<LPWSTR>> owned(text);
  return L"\\Registry\\User\\" + std::wstring(text);
}

// The NT name of an ASCII key path below the root.
inline std::wstring RegistryNtName(HKEY root, const std::string& path) {
  return RegistryRootNtName(root) + L"\\" + std::wstring(path.begin(), path.end());
}

// Makes `path` below the root a volatile link to the key `target` (below
// the same root); false when either step fails.
inline bool CreateRegistryLink(HKEY root, const std::string& path, const std::string& target) {
  UniqueHKey link;
  if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_CREATE_LINK | REG_OPTION_VOLATILE,
                      KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, link.put(), nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const std::wstring name = RegistryNtName(root, target);
  return RegSetValueExW(link.get(), L"SymbolicLinkValue", 0, REG_LINK, reinterpret_cast<const BYTE*>(name.data()),
                        static_cast<DWORD>(name.size() * sizeof(wchar_t))) == ERROR_SUCCESS;
}

// Whether the link key itself (not its target) exists.
inline bool RegistryLinkExists(HKEY root, const std::string& path) {
  UniqueHKey key;
  return RegOpenKeyExA(root, path.c_str(), REG_OPTION_OPEN_LINK, KEY_QUERY_VALUE, key.put()) == ERROR_SUCCESS;
}

// Removes a link left behind by a failed test; RegDeleteTreeA would follow it.
inline void DeleteRegistryLink(HKEY root, const std::string& path) {
  using NtDeleteKeyFunction = LONG(NTAPI*)(HANDLE);
  const auto ntDeleteKey = reinterpret_cast<NtDeleteKeyFunction>(
      reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtDeleteKey")));
  UniqueHKey key;
  if (ntDeleteKey && RegOpenKeyExA(root, path.c_str(), REG_OPTION_OPEN_LINK, DELETE, key.put()) == ERROR_SUCCESS) {
    ntDeleteKey(key.get());
  }
}

}  // namespace tidemark::testing
